// The checker of `ostrevan-cfg lint` on whatever tree arbitrary bytes load into (as a script, and as a
// settings file with a PIN): the checks, the places read again from the file, and both outputs must cope.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/memory_file_ops.h"
#include "core/text_error.h"
#include "script/factory.h"
#include "script/menu_applet_tag.h"
#include "script/script_context.h"
#include "storage/mfc_storage.h"
#include "tools/script-lint/cfg_places.h"
#include "tools/script-lint/script_lint.h"
#include "vars/var_scope.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (const std::u16string pin : {u"", u"1234"}) {
        memory_file_ops_t ops;
        ops.files["in.cfg"].assign(data, data + size);
        try {
            mfc_storage_t storage(u"in.cfg", mfc_storage_t::mode_read, pin, ops);
            std::unique_ptr<tag_t> tag = create_tag_by_name(u"MenuApplet", nullptr);
            auto& root = static_cast<MenuApplet_tag_t&>(*tag);
            root.set_storages(&storage, &storage, false);
            root.load();
            const auto findings = lint::check(*global_vars, root);
            mfc_storage_t again(u"in.cfg", mfc_storage_t::mode_read, pin, ops);
            const auto offsets = cfg_record_offsets(again, root);
            const lint::place_of_t place = [&](const tag_t& t) {
                lint::place_t at;
                auto found = offsets.find(&t);
                // Every finding names a tag of the file, whose record was found again.
                if (found == offsets.end()) __builtin_trap();
                at.offset = found->second;
                return at;
            };
            lint::format_lines(findings, u"in.cfg", place);
            lint::format_json(findings, u"in.cfg", place);
        } catch (const text_error_t&) {
        }
    }
    script_context = {};
    return 0;
}
