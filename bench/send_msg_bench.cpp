// Template work per contact recipient and the SMS character count, each
// against a baseline in the same run: expansion against a plain
// find-and-replace of the same placeholders, the pure text against plain
// erasing, the character count against a bare high-bit byte count.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CFriend.h"
#include "contracts/dmg/CLocalDataSerialize.h"
#include "send/CSendMsg.h"

namespace {

// The main store as the library sees it, answering the settings from
// memory, so that the figures show the template code and not the database.
class SettingsStore : public Dmg::CLocalDataSerialize {
public:
    int readSetting(Dmg::CFriendSetMsg& out) override {
        out = Dmg::CFriendSetMsg();  // name and number are personal fields
        return 1;
    }
};

// Stands as "database" for the whole run.
struct StoreRegistration {
    SettingsStore store;
    StoreRegistration() {
        Dmg::CDataManager::getSingleton().registerDataSerialize("database", &store);
    }
} g_registration;

// About 300 characters of Chinese with four placeholders.
std::string templateText() {
    std::string text;
    for (int i = 0; i < 4; ++i)
        text += "尊敬的<姓名>您好, 您的号码<号码>已开通本月套餐服务, 感谢您的支持与信任。";
    return text;
}

Dmg::CFriend contact() {
    Dmg::CFriend c;
    c.addPropetyAndValue("名字", "张三丰");
    c.addPropetyAndValue("手机", "13800138000");
    return c;
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t pos = text.find(from); pos != std::string::npos;
         pos = text.find(from, pos + to.size())) {
        text.replace(pos, from.size(), to);
    }
}

void BM_GetMsg(benchmark::State& state) {
    SMS::CSendMsg msg;
    msg.setMsg(templateText());
    const Dmg::CFriend c = contact();
    std::string out;
    for (auto _ : state) {
        benchmark::DoNotOptimize(msg.getMsg(c, out));
    }
}
BENCHMARK(BM_GetMsg);

void BM_BaselineReplace(benchmark::State& state) {
    const std::string text = templateText();
    const Dmg::CFriend c = contact();
    for (auto _ : state) {
        std::string out = text, name, phone;
        c.getValue("名字", name);
        c.getValue("手机", phone);
        replaceAll(out, "<姓名>", name);
        replaceAll(out, "<号码>", phone);
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_BaselineReplace);

// Arg 0: valid GBK (wide search); arg 1: a stray byte first (byte walk).
void BM_GetPureMsg(benchmark::State& state) {
    SMS::CSendMsg msg;
    msg.setMsg((state.range(0) != 0 ? "\xff" : "") + templateText());
    std::string out;
    for (auto _ : state) {
        benchmark::DoNotOptimize(msg.getPureMsg(out));
    }
}
BENCHMARK(BM_GetPureMsg)->Arg(0)->Arg(1);

void BM_BaselineErase(benchmark::State& state) {
    const std::string text = templateText();
    for (auto _ : state) {
        std::string out = text;
        replaceAll(out, "<姓名>", "");
        replaceAll(out, "<号码>", "");
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_BaselineErase);

void BM_GetMsgWord(benchmark::State& state) {
    const std::string text = templateText();
    const SMS::CSendMsg msg;
    for (auto _ : state) {
        benchmark::DoNotOptimize(msg.getMsgWord(text));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_GetMsgWord);

void BM_BaselineHighBitCount(benchmark::State& state) {
    const std::string text = templateText();
    for (auto _ : state) {
        int high = 0, low = 0;
        for (const char ch : text) (static_cast<unsigned char>(ch) & 0x80 ? high : low)++;
        benchmark::DoNotOptimize(high / 2 + low);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_BaselineHighBitCount);

}  // namespace

BENCHMARK_MAIN();
