// The send pipeline for 100,000 recipients into a real SQu.dll, with a
// 5,000-word reject list and a 10,000-number reject-phone list:
// (a) a common text, (b) a personalised template over contacts, and the
// floor of the same run: writing the packets of (a) with writeQueue alone.
// The run ends with the seconds of each and the ratios to the floor.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>

#include "contracts/dmg/CDataManager.h"
#include "bench/PipelineBenchData.h"
#include "send/CSmsSender.h"
#include "tests/fakes/RecordingProgressDlg.h"

namespace {

using pipebench::UserData;
constexpr int kRecipients = 100000;

UserData& userData() {
    static UserData data;
    return data;
}

std::map<std::string, double>& secondsPerRun() {
    static std::map<std::string, double> results;
    return results;
}

SMS::CSmsMsgProcessor personalSend() {
    std::mt19937 rng(3);
    SMS::CSmsMsgProcessor p;
    int id = 0;
    for (int i = 0; i < kRecipients; ++i) {
        Dmg::CFriend contact;
        contact.addPropetyAndValue("名字", i % 100 == 1 ? userData().wordList()[rng() % 5000]
                                                         : pipebench::characters(rng, 2));
        contact.addPropetyAndValue("手机", pipebench::number(i));
        p.addPhone(contact, false, id);
    }
    p.setSendMsg("<姓名>您好，本周六可享全场八折，欢迎光临。");
    p.setPersonalSms(true);
    return p;
}

// The packets of the last send, for the floor and the clean-up.
std::vector<Dmg::QueueData>& lastPackets() {
    static std::vector<Dmg::QueueData> packets;
    return packets;
}

template <typename Run>
void timeRuns(benchmark::State& state, const std::string& name, Run run) {
    if (!userData().ok()) return state.SkipWithError("cannot open the user data");
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(run());
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        total += elapsed.count();
        userData().clearQueue(lastPackets());
    }
    secondsPerRun()[name] = total / static_cast<double>(state.iterations());
}

void sendRuns(benchmark::State& state, const std::string& name, SMS::CSmsMsgProcessor p) {
    auto& settings = *SMS::CSmsSendStartInstance::Instance();
    settings.onPacketsQueued = [](std::vector<Dmg::QueueData>& packets) { lastPackets() = packets; };
    timeRuns(state, name, [&] {
        settings.remainingSms = 2000000000;
        std::string error;
        fakes::RecordingProgressDlg progress;
        return SMS::CSmsSender().send(&p, error, &progress);
    });
}

void BM_SendCommon(benchmark::State& state) {
    sendRuns(state, "common", pipebench::commonSend(kRecipients));
}
BENCHMARK(BM_SendCommon)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_WriteQueueFloor(benchmark::State& state) {
    const std::vector<Dmg::QueueData> packets = lastPackets();
    timeRuns(state, "floor", [&] {
        Dmg::CSendQueueSerialize queue;
        std::vector<int> ids;
        queue.initialize(userData().queueFile(), "Quenp19990812");
        const int written = queue.writeQueue(packets, ids);
        queue.close();
        lastPackets() = packets;
        for (std::size_t i = 0; i < ids.size(); ++i) lastPackets()[i].recordId = ids[i];
        return written;
    });
}
BENCHMARK(BM_WriteQueueFloor)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_SendPersonal(benchmark::State& state) { sendRuns(state, "personal", personalSend()); }
BENCHMARK(BM_SendPersonal)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void printSummary() {
    const auto& r = secondsPerRun();
    const auto line = [&r](const char* name, const char* label, const char* target) {
        if (!r.count(name)) return;
        std::printf("%s: %.3f s%s", label, r.at(name), target);
        if (r.count("floor") && std::string(name) != "floor") {
            std::printf(", %.1f x floor", r.at(name) / r.at("floor"));
        }
        std::printf("\n");
    };
    line("floor", "floor, writeQueue alone", "");
    line("common", "(a) common text", " (target under 1 s)");
    line("personal", "(b) personalised", " (target under 3 s)");
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printSummary();
    return 0;
}
