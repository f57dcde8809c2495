// Cost of writing and reading the text of one full immediate packet (70
// recipients), against copying a buffer of the same size.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "contracts/net/CNetSendASend.h"

namespace {

SMS::NET::CNetSendASend fullPacket() {
    SMS::NET::CNetSendASend p;
    p.packetId = 123456789;
    for (int i = 0; i < 70; ++i) {
        p.phones.push_back("138" + std::to_string(10000000 + i * 7919));
        p.carrierCodes.push_back(1 + i % 4);
        p.leadingFlags.push_back(i < 3 ? 1 : 0);
        p.encodedNames.push_back(i % 3 == 0 ? "" : "1cXI/cP3");
    }
    p.commonText = std::string(140, '\xd6');  // a 70-character GBK text
    return p;
}

void BM_CopySameBytes(benchmark::State& state) {
    std::string text;
    fullPacket().getPacketT(text);
    std::string copy;
    for (auto _ : state) {
        copy.assign(text.data(), text.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_CopySameBytes);

void BM_GetPacketT(benchmark::State& state) {
    const SMS::NET::CNetSendASend p = fullPacket();
    std::string text;
    for (auto _ : state) {
        p.getPacketT(text);
        benchmark::DoNotOptimize(text.data());
        benchmark::ClobberMemory();
    }
    state.counters["text_bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_GetPacketT);

void BM_GetParseT(benchmark::State& state) {
    std::string text;
    fullPacket().getPacketT(text);
    SMS::NET::CNetSendASend p;
    for (auto _ : state) {
        benchmark::DoNotOptimize(p.getParseT(text));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_GetParseT);

}  // namespace

BENCHMARK_MAIN();
