#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "contracts/dmg/CLocalDataSerialize.h"
#include "contracts/dmg/UserConfigSerialize.h"
#include "contracts/platform/Time.h"
#include "tests/fakes/TempDir.h"

namespace {

using Dmg::CFriendSetMsg;
using Dmg::CLocalDataSerialize;

constexpr const char* kPassword = "Quenp19990812";

// Bit i of each mask is flag i of its run.
CFriendSetMsg settingsOf(unsigned show, unsigned personal) {
    CFriendSetMsg s;
    for (int i = 0; i < CFriendSetMsg::kFieldCount; ++i) {
        s.showFlags[i] = ((show >> i) & 1u) != 0;
        s.personalFlags[i] = ((personal >> i) & 1u) != 0;
    }
    return s;
}

std::string flags(const CFriendSetMsg& s) {
    std::string out;
    for (const bool f : s.showFlags) out += f ? '1' : '0';
    out += '/';
    for (const bool f : s.personalFlags) out += f ? '1' : '0';
    return out;
}

std::string storedFlags(CLocalDataSerialize& store) {
    CFriendSetMsg s = settingsOf(0x15, 0x15);
    return store.readSetting(s) == 1 ? flags(s) : "no answer";
}

Dmg::CSmsData now() {
    const auto t = Platform::getLocalTime();
    return Dmg::CSmsData(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute);
}

// Settings and the send log are read back from the file once the objects that
// wrote it are gone (the settings are shared in memory only while a store
// holds them); an emptied prefix list is none. Lists kept exactly: data_filters.
TEST(LocalStore, EverythingIsReadBackFromTheFile) {
    const struct {
        const char* name;
        std::string text, id, extra;  // the sender's id and extra field
    } entries[] = {
        {"GBK text", "发送3条信息,信息含有12个字(不含个性信息)", "用户01", "附加"},
        {"empty", "", "", ""},
        {"bytes of all kinds", std::string("it's \"a\0b\0\x81", 11), std::string(1, '\0'),
         "\xff'"},
    };
    const CFriendSetMsg chosen = settingsOf(0x40005, 0x7ffff);
    fakes::TempDir dir;
    const std::string path = dir.file("Main.dll");
    const Dmg::CSmsData before = now();
    {
        CLocalDataSerialize store;
        Dmg::UserConfigSerialize config;
        ASSERT_TRUE(store.initialize(path, kPassword) == 1 && store.setSetting(chosen) == 1);
        for (const auto& e : entries) ASSERT_EQ(store.writeSendLog(e.id, e.extra, e.text), 1);
        ASSERT_TRUE(config.initialize(path, kPassword) == 1 &&
                    config.setChinaUnicomNumHeader({"175"}) && config.setChinaUnicomNumHeader({}));
    }
    const Dmg::CSmsData after = now();

    CLocalDataSerialize store;
    ASSERT_EQ(store.initialize(path, kPassword), 1);
    EXPECT_EQ(storedFlags(store), flags(chosen));
    std::vector<Dmg::CSendLosgMsg> log(1);  // appended to, oldest first
    ASSERT_EQ(store.readAllSendLog(log), 1 + static_cast<int>(std::size(entries)));
    for (std::size_t i = 0; i < std::size(entries); ++i) {
        SCOPED_TRACE(entries[i].name);
        const auto& e = log.at(i + 1);
        EXPECT_EQ(std::tie(e.firstText, e.secondText, e.thirdText),
                  std::tie(entries[i].text, entries[i].id, entries[i].extra));
        EXPECT_FALSE(e.time < before || after < e.time) << e.time.getString();
        EXPECT_GT(e.number, log[i].number);  // the first follows the placeholder 0
    }
    Dmg::UserConfigSerialize config;
    std::vector<std::string> unicom;
    ASSERT_EQ(config.initialize(path, kPassword), 1);
    EXPECT_EQ(config.getChinaUnicomNumHeader(unicom), 0);  // an empty list: not configured
}

TEST(LocalStore, SettingsStayInStepAcrossStoreObjects) {
    fakes::TempDir dir;
    const std::string path = dir.file("Main.dll");
    const CFriendSetMsg x = settingsOf(0x1, 0x40000), y = settingsOf(0x7ffff, 0);
    CFriendSetMsg odd = settingsOf(0, 0);
    std::memset(&odd.personalFlags[4], 7, 1);  // any non-zero byte counts as set
    {
        CLocalDataSerialize a, b;
        ASSERT_EQ(a.initialize(path, kPassword) + b.initialize(path, kPassword), 2);
        EXPECT_EQ(storedFlags(a), flags(CFriendSetMsg()));  // now held in memory
        ASSERT_EQ(b.setSetting(x), 1);
        EXPECT_EQ(storedFlags(a), flags(x));
        a.close();
        ASSERT_EQ(b.setSetting(y), 1);
        EXPECT_EQ(storedFlags(a), flags(y));  // served from memory while closed
        EXPECT_EQ(a.setSetting(x), 0);
        EXPECT_EQ(storedFlags(b), flags(y));
        ASSERT_EQ(b.setSetting(odd), 1);
    }
    CLocalDataSerialize c;  // every holder is gone: read from the file again
    ASSERT_EQ(c.initialize(path, kPassword), 1);
    EXPECT_EQ(storedFlags(c), flags(settingsOf(0, 0x10)));
}

TEST(LocalStore, ConcurrentReaderSeesOnlyWholeRecords) {
    fakes::TempDir dir;
    const std::string path = dir.file("Main.dll");
    CLocalDataSerialize writer, reader;  // opened before the writer's thread starts
    ASSERT_EQ(writer.initialize(path, kPassword) + reader.initialize(path, kPassword), 2);
    const CFriendSetMsg x = settingsOf(0x55555, 0x2aaaa), y = settingsOf(0x2aaaa, 0x55555);
    const std::set<std::string> whole = {flags(CFriendSetMsg()), flags(x), flags(y)};
    // done: set by the writer's thread, read by this one (atomic, no lock);
    // writes: the writer's own until joined.
    std::atomic<bool> done{false};
    int writes = 0, badReads = 0;
    std::thread thread([&] {
        for (int i = 0; i < 200; ++i) writes += writer.setSetting(i % 2 ? y : x);
        done = true;
    });
    while (!done) badReads += whole.count(storedFlags(reader)) == 1 ? 0 : 1;
    thread.join();
    EXPECT_EQ(writes, 200);
    EXPECT_EQ(badReads, 0);
    EXPECT_EQ(storedFlags(reader), flags(y));
}

}  // namespace
