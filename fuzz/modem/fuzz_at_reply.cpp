// The AT engine and the start-up probes on a modem that answers every write with arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "platform/modem/at_engine.h"
#include "platform/modem/memory_transport.h"
#include "platform/modem/modem_setup.h"

namespace {

// Hands out the input in slices, one per command written, then falls silent.
class replay_peer_t : public modem_peer_t {
public:
    explicit replay_peer_t(std::string_view data) : data_(data) {}
    void receive(std::string_view bytes) override {
        if (bytes.find('\r') == std::string_view::npos && bytes.find('\x1a') == std::string_view::npos) return;
        const size_t n = data_.empty() ? 0 : std::min<size_t>(data_.size(), 1 + uint8_t(data_[0]) * 2);
        out_.append(data_.substr(0, n));
        data_.remove_prefix(n);
    }
    std::string take_output() override { return std::exchange(out_, {}); }
    std::optional<modem_time_t> next_event() override { return std::nullopt; }
    void advance(modem_time_t) override {}

private:
    std::string_view data_;
    std::string out_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    manual_clock_t clock;
    replay_peer_t peer(input);
    memory_transport_t link(peer, clock);
    at_engine_t engine(link, clock);
    size_t urcs = 0;
    engine.on_unsolicited([&](const at_urc_t& u) { urcs += u.name.size() + u.pdu.size(); });
    try {
        start_modem(engine);
    } catch (const modem_error_t&) {
    }
    engine.run_with_data("AT+CMGS=13", "00");
    engine.run("AT+CMGL=4");
    engine.poll(modem_time_t(1000));
    return 0;
}
