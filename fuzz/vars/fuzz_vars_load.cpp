// Loads a variable registry from arbitrary bytes placed after a valid header (the header check is the
// storage fuzzer's business). Whatever loads must save, load and save again to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/memory_file_ops.h"
#include "storage/mfc_storage.h"
#include "vars/var_registry.h"

namespace {

std::vector<unsigned char> saved(const var_registry_t& r, memory_file_ops_t& ops, const std::string& name) {
    mfc_storage_t out(std::u16string(name.begin(), name.end()), mfc_storage_t::mode_write, u"", ops);
    r.save(out);
    if (!out.close()) std::abort();
    return ops.files[name];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    memory_file_ops_t ops;
    {
        mfc_storage_t header(u"in", mfc_storage_t::mode_write, u"", ops);
        header.close();
    }
    ops.files["in"].insert(ops.files["in"].end(), data, data + size);

    var_registry_t r;
    try {
        mfc_storage_t in(u"in", mfc_storage_t::mode_read, u"", ops);
        r.load(in);
    } catch (const mfc_storage_ex_t&) {
        // Damaged data stops the load; what was read before stays and must still save and load.
    }
    const auto first = saved(r, ops, "a");
    var_registry_t again;
    mfc_storage_t in(u"a", mfc_storage_t::mode_read, u"", ops);
    again.load(in);
    if (saved(again, ops, "b") != first) std::abort();
    return 0;
}
