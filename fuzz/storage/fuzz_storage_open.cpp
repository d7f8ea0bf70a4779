// Opens a storage over arbitrary bytes and reads values until the data ends. The first byte picks the
// password and the order of reads; the rest is the file. Whatever was read is written again with the same
// password and must read back equal. The file read in short reads must read as the file read whole buffers at a time.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <variant>
#include <vector>

#include "core/memory_file_ops.h"
#include "storage/mfc_storage.h"

namespace {

using value_t = std::variant<std::u16string, int32_t, bool>;

// Reads by the pattern of `selector` (two bits per read: string, int, bool).
std::vector<value_t> read_all(mfc_storage_t& s, uint8_t selector) {
    std::vector<value_t> values;
    try {
        for (int i = 0; i < 100000; ++i) {
            switch ((selector >> (2 * (i % 4))) & 3) {
                case 1: {
                    int32_t n;
                    s.read_int(n);
                    values.emplace_back(n);
                    break;
                }
                case 2: {
                    bool b;
                    s.read_bool(b);
                    values.emplace_back(b);
                    break;
                }
                default: {
                    std::u16string t;
                    s.read_string(t);
                    values.emplace_back(std::move(t));
                }
            }
        }
    } catch (const mfc_storage_ex_t&) {
    }
    return values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t selector = data[0];
    const std::u16string password = selector & 0x80 ? u"1234" : u"";
    memory_file_ops_t ops;
    ops.files["in"].assign(data + 1, data + size);
    std::vector<value_t> values;
    try {
        mfc_storage_t in(u"in", mfc_storage_t::mode_read, password, ops);
        values = read_all(in, selector);
    } catch (const mfc_storage_ex_t&) {
        return 0;
    }
    // Read a few bytes at a time, the file gives the same values, and fails at the same place.
    ops.max_read = 7;
    {
        mfc_storage_t piecemeal(u"in", mfc_storage_t::mode_read, password, ops);
        if (read_all(piecemeal, selector) != values) std::abort();
    }
    ops.max_read = 0;

    mfc_storage_t out(u"out", mfc_storage_t::mode_write, password, ops);
    for (const value_t& v : values) {
        if (auto* t = std::get_if<std::u16string>(&v)) out.write_string(*t);
        if (auto* n = std::get_if<int32_t>(&v)) out.write_int(*n);
        if (auto* b = std::get_if<bool>(&v)) out.write_bool(*b);
    }
    if (!out.close()) std::abort();
    mfc_storage_t back(u"out", mfc_storage_t::mode_read, password, ops);
    // The copy holds exactly the values, so reading on past them must fail at its end.
    if (read_all(back, selector) != values) std::abort();
    return 0;
}
