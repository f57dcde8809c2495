// Building the send elements of 100,000 recipients with getSendQueue:
// (a) one common text to plain numbers (the baseline of the same run),
// (b) a personalised template with two placeholders over contacts, tested
// against a 5,000-word reject list in the real "rejectwords" store.
// Texts and words are common Chinese characters from a fixed seed; one name
// in a hundred holds a reject word.
//
// The run ends with recipients per second of both and the time ratio b / a.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CRejectWordsDataSerialize.h"
#include "send/CSmsMsgProcessor.h"
#include "tests/fakes/TempDir.h"

namespace {

constexpr int kRecipients = 100000;
constexpr int kWords = 5000;

// One of the 3,755 most common characters (rows 0xB0..0xD7 of GBK).
std::string commonCharacter(std::mt19937& rng) {
    return {static_cast<char>(0xB0 + rng() % 40), static_cast<char>(0xA1 + rng() % 94)};
}

std::string characters(std::mt19937& rng, unsigned count) {
    std::string out;
    for (unsigned i = 0; i < count; ++i) out += commonCharacter(rng);
    return out;
}

// The user data of the run: a fresh folder with a 5,000-word list.
class UserData {
public:
    UserData() {
        auto& data = Dmg::CDataManager::getSingleton();
        ok_ = data.openUserData(dir_.path()) == 1;
        std::mt19937 rng(7);
        for (int i = 0; i < kWords; ++i) words_.push_back(characters(rng, 2 + rng() % 3));
        auto* store =
            static_cast<Dmg::CRejectWordsDataSerialize*>(data.getDataSerialize("rejectwords"));
        ok_ = ok_ && store->setRejectWords(words_) == 1;
    }
    ~UserData() { Dmg::CDataManager::getSingleton().closeUserData(); }
    UserData(const UserData&) = delete;
    UserData& operator=(const UserData&) = delete;

    bool ok() const { return ok_; }
    const std::vector<std::string>& words() const { return words_; }

private:
    fakes::TempDir dir_;
    std::vector<std::string> words_;
    bool ok_ = false;
};

UserData& userData() {
    static UserData data;
    return data;
}

std::string number(int i) { return std::to_string(13800000000LL + i); }

SMS::CSmsMsgProcessor commonSend() {
    SMS::CSmsMsgProcessor p;
    int id = 0;
    for (int i = 0; i < kRecipients; ++i) p.addPhone(number(i), std::string(), false, id);
    p.setSendMsg("尊敬的客户，本周六门店全场八折，欢迎光临。");
    p.setCompanyEnder("【百货】");
    return p;
}

SMS::CSmsMsgProcessor personalSend() {
    std::mt19937 rng(3);
    SMS::CSmsMsgProcessor p;
    int id = 0;
    for (int i = 0; i < kRecipients; ++i) {
        Dmg::CFriend contact;
        const std::string name = i % 100 == 0 ? userData().words()[rng() % kWords]
                                              : characters(rng, 2 + rng() % 2);
        contact.addPropetyAndValue("名字", name);
        contact.addPropetyAndValue("手机", number(i));
        p.addPhone(contact, false, id);
    }
    p.setSendMsg("<姓名>您好，您的号码<号码>本周六可享全场八折，欢迎光临。");
    p.setPersonalSms(true);
    p.setCompanyEnder("【百货】");
    return p;
}

std::map<std::string, double>& secondsPerRun() {
    static std::map<std::string, double> results;
    return results;
}

void timeRuns(benchmark::State& state, const std::string& name, SMS::CSmsMsgProcessor p) {
    if (!userData().ok()) {
        state.SkipWithError("cannot open the user data");
        return;
    }
    double total = 0;
    for (auto _ : state) {
        std::vector<Dmg::CSendQueueElement> out;
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(p.getSendQueue(out, true));
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        total += elapsed.count();
        state.PauseTiming();
        out = {};  // freeing the elements is not part of the run
        state.ResumeTiming();
    }
    const double perRun = total / static_cast<double>(state.iterations());
    secondsPerRun()[name] = perRun;
    state.counters["recipients/s"] = kRecipients / perRun;
}

void BM_CommonText(benchmark::State& state) { timeRuns(state, "common", commonSend()); }
BENCHMARK(BM_CommonText)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

void BM_PersonalTemplate(benchmark::State& state) { timeRuns(state, "personal", personalSend()); }
BENCHMARK(BM_PersonalTemplate)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void printSummary() {
    const auto& r = secondsPerRun();
    if (r.count("common")) {
        std::printf("(a) common text: %.3f s, %.0f recipients/s (target under 0.3 s)\n",
                    r.at("common"), kRecipients / r.at("common"));
    }
    if (r.count("personal")) {
        std::printf("(b) personalised: %.3f s, %.0f recipients/s (target under 2 s)\n",
                    r.at("personal"), kRecipients / r.at("personal"));
    }
    if (r.count("common") && r.count("personal")) {
        std::printf("ratio b / a: %.1f\n", r.at("personal") / r.at("common"));
    }
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
