// The message ledger's file, read at every start, damaged in any way: loading must set it aside or take it,
// never crash; what it took must settle, save and load again unchanged in meaning.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>

#include "platform/modem/sms_ledger.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    struct scratch_t {
        std::filesystem::path path;
        scratch_t() {
            std::string pattern = (std::filesystem::temp_directory_path() / "fuzz-sms-ledger-XXXXXX").string();
            path = mkdtemp(pattern.data());
        }
        ~scratch_t() { std::filesystem::remove_all(path); }
    };
    static const scratch_t scratch;
    const auto file = scratch.path / "ledger";
    std::filesystem::remove(file.string() + ".bad");
    std::ofstream(file, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), size);
    const auto clock = [] { return int64_t(1'800'000'000); };
    const auto take = [](const std::u16string&) { return sms_intake_t::take; };
    sms_ledger_t first(file, clock);
    if (!first.load_warning().empty()) return 0;
    first.settle(take);
    for (const auto& m : first.messages()) first.set_read(m.id);
    if (first.save()) return 0;
    sms_ledger_t second(file, clock);
    if (!second.load_warning().empty() || second.messages().size() != first.messages().size()) __builtin_trap();
    return 0;
}
