// The file of waiting SMS parts, damaged in any way: loading it must set it aside or take it, never crash,
// and what it took must save and load again.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>

#include "core/text_error.h"
#include "platform/pdu/sms_reassembler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    struct scratch_t {
        std::filesystem::path path;
        scratch_t() {
            std::string pattern = (std::filesystem::temp_directory_path() / "fuzz-sms-parts-XXXXXX").string();
            path = mkdtemp(pattern.data());
        }
        ~scratch_t() { std::filesystem::remove_all(path); }
    };
    static const scratch_t scratch;
    const auto& dir = scratch.path;
    const auto file = dir / "parts";
    std::filesystem::remove(file.string() + ".bad");
    std::ofstream(file, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), size);
    const auto clock = [] { return std::chrono::system_clock::time_point(std::chrono::seconds(1'800'000'000)); };
    sms_reassembler_t first(file, std::chrono::hours(1), clock);
    if (first.load_error().empty() && first.pending_sets() > 0) {
        sms_deliver_t nothing;
        first.add(nothing);  // a single message: the state is unchanged, but expiry may save the file
        sms_reassembler_t second(file, std::chrono::hours(1), clock);
        if (!second.load_error().empty()) __builtin_trap();
    }
    return 0;
}
