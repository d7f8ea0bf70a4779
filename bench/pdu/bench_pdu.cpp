// The codec on a long Cyrillic bank answer: encoding into parts, decoding them and joining them again.
#include <benchmark/benchmark.h>

#include "platform/pdu/sms_decoder.h"
#include "platform/pdu/sms_encoder.h"
#include "platform/pdu/sms_reassembler.h"

namespace {

const sms_outgoing_t answer{u"+79001234567", std::u16string(400, u'Ж') + u" APP_PORT=2201", 0x2201};
const sms_timestamp_t stamp{2026, 12, 10, 12, 0, 0, 12};

void encode(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(encode_deliver(answer, stamp));
}
BENCHMARK(encode);

void decode_and_join(benchmark::State& state) {
    const auto parts = encode_deliver(answer, stamp);
    for (auto _ : state) {
        sms_reassembler_t reassembler(std::chrono::hours(1));
        for (const auto& part : parts) {
            benchmark::DoNotOptimize(reassembler.add(std::get<sms_deliver_t>(decode_pdu_hex(part.hex))));
        }
    }
}
BENCHMARK(decode_and_join);

}  // namespace
