// The root's load of a script or settings file from arbitrary bytes, opened without a PIN and with one.
// A file that loads must save, and what it saves must load again (in short reads) and save to the same bytes.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/memory_file_ops.h"
#include "core/text_error.h"
#include "script/factory.h"
#include "script/menu_applet_tag.h"
#include "script/script_context.h"
#include "script/tag_errors.h"
#include "storage/mfc_storage.h"

namespace {

// Loads `path` as the program does (one file for script and settings) and saves it to `out`; false when
// the file is refused.
bool load_and_save(memory_file_ops_t& ops, const std::u16string& path, const std::u16string& out,
                   const std::u16string& pin) {
    try {
        mfc_storage_t storage(path, mfc_storage_t::mode_read, pin, ops);
        std::unique_ptr<tag_t> tag = create_tag_by_name(u"MenuApplet", nullptr);
        auto& root = static_cast<MenuApplet_tag_t&>(*tag);
        root.set_storages(&storage, &storage, false);
        root.load();
        mfc_storage_t writer(out, mfc_storage_t::mode_write, pin, ops);
        script_context.current_storage = &writer;
        root.save();
        if (!writer.close()) __builtin_trap();
        return true;
    } catch (const text_error_t&) {
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (const std::u16string pin : {u"", u"1234"}) {
        memory_file_ops_t ops;
        ops.files["in.cfg"].assign(data, data + size);
        if (!load_and_save(ops, u"in.cfg", u"once.cfg", pin)) continue;
        ops.max_read = 7;  // the first load reads whole buffers, the second short reads
        if (!load_and_save(ops, u"once.cfg", u"twice.cfg", pin)) __builtin_trap();
        if (ops.files["once.cfg"] != ops.files["twice.cfg"]) __builtin_trap();
    }
    script_context = {};
    return 0;
}
