#include "tests/support/script_fixture.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "script/factory.h"
#include "script/menu_tags.h"
#include "script/script_context.h"

namespace {

void collect(tag_t& tag, int32_t code, std::vector<tag_t*>& found) {
    if (tag.code == code) found.push_back(&tag);
    if (auto* complex = dynamic_cast<tag_complex_t*>(&tag))
        for (auto& child : complex->children) collect(*child, code, found);
}

}  // namespace

namespace {

std::vector<unsigned char> file_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("no compiled script " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

script_fixture_t::script_fixture_t(const std::string& cfg_path, display_t* display_, messaging_t* messaging_)
    : script_fixture_t(file_bytes(cfg_path), display_, messaging_) {}

script_fixture_t::script_fixture_t(std::vector<unsigned char> cfg, display_t* display_, messaging_t* messaging_)
    : shown_on(display_ ? display_ : &display), messaging(messaging_) {
    files.files["config.cfg"] = std::move(cfg);
    load("config.cfg");
}

script_fixture_t::~script_fixture_t() {
    root.reset();
    script_context.display = nullptr;
    script_context.messaging = nullptr;
    script_context.current_storage = nullptr;
}

void script_fixture_t::load(const std::string& path) {
    root.reset();
    storage =
        std::make_unique<mfc_storage_t>(std::u16string(path.begin(), path.end()), mfc_storage_t::mode_read, u"", files);
    auto made = create_tag_by_name(u"MenuApplet", nullptr);
    root.reset(static_cast<MenuApplet_tag_t*>(made.release()));
    root->set_display(shown_on);
    root->set_messaging(messaging);
    root->set_storages(storage.get(), storage.get(), false);
    root->load();
    root->link();
}

void script_fixture_t::restart() {
    root->commit();
    {
        mfc_storage_t out(u"settings.cfg", mfc_storage_t::mode_write, u"", files);
        script_context.current_storage = &out;
        root->save();
        if (!out.close()) throw std::runtime_error("settings not saved");
    }
    load("settings.cfg");
}

std::vector<tag_t*> script_fixture_t::all(int32_t code) const {
    std::vector<tag_t*> found;
    collect(*root, code, found);
    return found;
}

ScriptItem_tag_t& script_fixture_t::item(const std::u16string& name) const {
    for (int32_t code : {tags::ScriptItem, tags::ScriptItemAdd})
        for (tag_t* tag : all(code)) {
            auto& item = static_cast<ScriptItem_tag_t&>(*tag);
            if (item.form && item.form->title() == name) return item;
        }
    throw std::logic_error("no script item of that name");
}
