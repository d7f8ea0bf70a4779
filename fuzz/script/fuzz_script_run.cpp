// A script or settings file from arbitrary bytes that loads is linked, its menu shown, every script item's
// form run (each text row clicked, the form then closed from code), committed and saved, on the recording
// display: whatever tree a file holds, the tags' behaviour must neither crash nor loop.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "core/text_error.h"
#include "script/menu_tags.h"
#include "script/script_context.h"
#include "script/tag_codes.h"
#include "script/tag_errors.h"
#include "tests/support/script_fixture.h"

namespace {

void collect_items(tag_t& tag, std::vector<ScriptItem_tag_t*>& items) {
    if (tag.code == tags::ScriptItem || tag.code == tags::ScriptItemAdd)
        items.push_back(static_cast<ScriptItem_tag_t*>(&tag));
    if (auto* complex = dynamic_cast<tag_complex_t*>(&tag))
        for (auto& child : complex->children) collect_items(*child, items);
}

void run(script_fixture_t& script) {
    script.display.on_form_show = [](recording_form_t& form) {
        for (size_t i = 0; i < form.items.size(); ++i)
            if (auto* row = form.item<recording_string_item_t>(i)) row->click();
        form.close();
    };
    script.display.picks = {1, 0};
    script.root->show();
    std::vector<ScriptItem_tag_t*> items;
    collect_items(*script.root, items);
    for (ScriptItem_tag_t* item : items) {
        // Every question is answered "No", which ends any asking loop.
        script.display.answers.assign(64, false);
        try {
            item->show();
        } catch (const text_error_t&) {
            // A text error reaches the user in a box; the program goes on.
        }
    }
    script.restart();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        script_fixture_t script(std::vector<unsigned char>(data, data + size));
        run(script);
    } catch (const text_error_t&) {
    }
    script_context = {};
    return 0;
}
