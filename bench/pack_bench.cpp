// Packing a send against a same-run baseline: counting the segments of the
// same elements, which packing has to do anyway (classify every number,
// count every text).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "send/CSmsPacketSendQueue.h"
#include "send/CSmsSendStartInstance.h"

namespace {

std::vector<Dmg::CSendQueueElement> makeSend(int count, bool common) {
    std::vector<Dmg::CSendQueueElement> elements(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        Dmg::CSendQueueElement& e = elements[static_cast<std::size_t>(i)];
        e.phone = "138" + std::to_string(10000000 + i);
        e.commonMsg = common;
        e.message = common ? "周末特惠, 全场八折, 欢迎光临本店。"
                           : "尊敬的客户" + std::to_string(i) + ", 您好";
        e.leading = i < 3;
    }
    return elements;
}

void BM_Baseline_SegmentCount(benchmark::State& state) {
    const auto elements = makeSend(static_cast<int>(state.range(0)), state.range(1) != 0);
    const SMS::CSmsSendStartInstance& settings = *SMS::CSmsSendStartInstance::Instance();
    for (auto _ : state) benchmark::DoNotOptimize(settings.getSmsSplitNum(elements));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_Pack(benchmark::State& state) {
    const auto elements = makeSend(static_cast<int>(state.range(0)), state.range(1) != 0);
    SMS::CSmsPacketSendQueue packer;
    for (auto _ : state) {
        std::vector<Dmg::QueueData> packets;
        int segments = 0;
        packer.Pack(elements, packets, segments);
        benchmark::DoNotOptimize(packets.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Arguments: recipients, common text (1) or personalised (0).
BENCHMARK(BM_Baseline_SegmentCount)->Args({10000, 1})->Args({10000, 0});
BENCHMARK(BM_Pack)->Args({10000, 1})->Args({10000, 0});

}  // namespace

BENCHMARK_MAIN();
