#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "script/factory.h"
#include "tests/ui/script_stand_ins.h"
#include "ui/display.h"

// A "ScriptList" tag as the factory makes it, with one child that builds the sub-menu's own list when shown,
// in the order a menu tag uses a list: the entries, show, the pick, close.
inline std::unique_ptr<tag_t> sub_menu(display_t& display, std::vector<std::pair<std::u16string, tag_t*>> entries) {
    auto tag = create_tag(31, nullptr);
    auto child = std::make_unique<test_tag_t>();
    child->body = [&display, entries] {
        auto list = display.create_list(u"Ostrevan");
        for (const auto& [text, target] : entries) list->add_entry(text, target, u"");
        list->show();
        if (list->selected() >= 0) throw std::logic_error("a menu list picked an entry by itself");
        list->close();
    };
    static_cast<tag_complex_t&>(*tag).children.push_back(std::move(child));
    return tag;
}
