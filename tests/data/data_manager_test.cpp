#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/UserConfigSerialize.h"
#include "tests/fakes/FakeUserConfig.h"
#include "tests/fakes/ScopedStore.h"

namespace {

Dmg::CDataManager& manager() { return Dmg::CDataManager::getSingleton(); }

TEST(DataManager, EveryStoreNameHasItsStoreAndOthersAreNull) {
    EXPECT_EQ(Dmg::CDataManager::getSingletonPtr(), &manager());
    for (const char* name :
         {"database", "database1", "historylog", "logsendqueue", "sendqueuemodify",
          "sendqueuemodifyW", "rejectwords", "rejectphones", "testphonenum", "userconfigfile"}) {
        SCOPED_TRACE(name);
        EXPECT_NE(manager().getDataSerialize(name), nullptr);
    }
    EXPECT_NE(manager().getDataSerialize("sendqueuemodify"),
              manager().getDataSerialize("sendqueuemodifyW"));
    EXPECT_EQ(manager().getDataSerialize("no such store"), nullptr);
    EXPECT_EQ(manager().getDataSerialize(""), nullptr);
    // Names are exact: no case folding, no trimming.
    EXPECT_EQ(manager().getDataSerialize("UserConfigFile"), nullptr);
    EXPECT_EQ(manager().getDataSerialize("userconfigfile "), nullptr);
}

TEST(DataManager, ScopedFakeReplacesAndRestores) {
    Dmg::IDataSerialize* const original = manager().getDataSerialize("userconfigfile");
    {
        fakes::FakeUserConfig fake;
        fakes::ScopedStore scope("userconfigfile", &fake);
        EXPECT_EQ(manager().getDataSerialize("userconfigfile"), &fake);
        {
            fakes::FakeUserConfig inner;
            fakes::ScopedStore nested("userconfigfile", &inner);
            EXPECT_EQ(manager().getDataSerialize("userconfigfile"), &inner);
        }
        EXPECT_EQ(manager().getDataSerialize("userconfigfile"), &fake);
    }
    EXPECT_EQ(manager().getDataSerialize("userconfigfile"), original);

    // A name that was not there before is gone again afterwards.
    fakes::FakeUserConfig fake;
    { fakes::ScopedStore scope("testonly-store", &fake); }
    EXPECT_EQ(manager().getDataSerialize("testonly-store"), nullptr);
}

TEST(DataManager, LookupsWhileRegistering) {
    fakes::FakeUserConfig a, b;
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::thread reader([&] {
        while (!stop) {
            auto* s = manager().getDataSerialize("testonly-race");
            if (s != nullptr && s != &a && s != &b) ++bad;
        }
    });
    for (int i = 0; i < 2000; ++i) {
        manager().registerDataSerialize("testonly-race", i % 2 ? &a : &b);
    }
    manager().registerDataSerialize("testonly-race", nullptr);
    stop = true;
    reader.join();
    EXPECT_EQ(bad, 0);
}

}  // namespace

#include <filesystem>
#include <fstream>
#include <iterator>

#include "contracts/dmg/CHistoryLogSerialize.h"
#include "contracts/dmg/CLocalDataSerialize.h"
#include "contracts/dmg/CRejectWordsDataSerialize.h"
#include "tests/fakes/LogCapture.h"
#include "tests/fakes/TempDir.h"

namespace {

TEST(UserData, OpensCreatesAndKeepsDataAcrossSessions) {
    fakes::TempDir dir;
    ASSERT_EQ(manager().openUserData(dir.path()), 1);
    EXPECT_TRUE(std::filesystem::exists(dir.file("Main.dll")));
    EXPECT_TRUE(std::filesystem::exists(dir.file("HLog.dll")));

    auto* words =
        static_cast<Dmg::CRejectWordsDataSerialize*>(manager().getDataSerialize("rejectwords"));
    ASSERT_EQ(words->setRejectWords({"违禁"}), 1);
    auto* config =
        static_cast<Dmg::UserConfigSerialize*>(manager().getDataSerialize("userconfigfile"));
    ASSERT_EQ(config->setChinaTeleComNumHeader({"199"}), 1);
    manager().closeUserData();

    ASSERT_EQ(manager().openUserData(dir.path()), 1);
    std::string word;
    EXPECT_EQ(words->testWord("这里有违禁内容", word), 0);
    EXPECT_EQ(word, "违禁");
    std::vector<std::string> telecom;
    EXPECT_EQ(config->getChinaTeleComNumHeader(telecom), 1);
    EXPECT_EQ(telecom, std::vector<std::string>{"199"});
    auto* history =
        static_cast<Dmg::CHistoryLogSerialize*>(manager().getDataSerialize("historylog"));
    std::vector<Dmg::CHistoryMsg> rows;
    EXPECT_EQ(history->getAllLog(rows), 1);
    config->setChinaTeleComNumHeader({});
    manager().closeUserData();
}

Dmg::CLocalDataSerialize& mainStore() {
    return *static_cast<Dmg::CLocalDataSerialize*>(manager().getDataSerialize("database"));
}

int sendLogRows(const std::string& userDir) {
    std::vector<Dmg::CSendLosgMsg> entries;
    EXPECT_EQ(manager().openUserData(userDir), 1);
    const int rows = mainStore().readAllSendLog(entries) - 1;
    manager().closeUserData();
    return rows;
}

void addSendLogRows(const std::string& userDir, int count) {
    ASSERT_EQ(manager().openUserData(userDir), 1);
    for (int i = 0; i < count; ++i) ASSERT_EQ(mainStore().writeSendLog("id", "", "row"), 1);
    manager().closeUserData();
}

// The size of the file's write-ahead log, 0 when there is none.
std::uintmax_t walBytes(const std::string& file) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(file + "-wal", ec);
    return ec ? 0 : size;
}

// Regression: after closeUserData recent rows could still be in the
// write-ahead log (here because a store the manager does not own kept the file
// open), so a copy of the .dll files missed them, and a copy restored over the
// live file was read together with the old log.
TEST(UserData, ClosedFilesHoldEverythingForBackupAndRestore) {
    fakes::TempDir dir, backup, later;
    Dmg::CLocalDataSerialize other;
    for (const auto* copy : {&backup, &later}) {
        addSendLogRows(dir.path(), copy == &backup ? 50 : 417);
        for (const char* file : {"Main.dll", "HLog.dll"}) {
            SCOPED_TRACE(file);
            EXPECT_EQ(walBytes(dir.file(file)), 0u);
            std::filesystem::copy_file(dir.file(file), copy->file(file));
        }
        ASSERT_EQ(other.initialize(dir.file("Main.dll"), "Quenp19990812"), 1);
    }
    std::filesystem::copy_file(backup.file("Main.dll"), dir.file("Main.dll"),
                               std::filesystem::copy_options::overwrite_existing);
    EXPECT_EQ(sendLogRows(dir.path()), 50);
    other.close();
    EXPECT_EQ(sendLogRows(dir.path()), 50);
    EXPECT_EQ(sendLogRows(later.path()), 467);
}

TEST(UserData, RefusesMissingFolderAndDamagedFileWithoutTouchingIt) {
    fakes::TempDir dir;
    fakes::LogCapture log;
    EXPECT_EQ(manager().openUserData(dir.file("missing")), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));

    const std::string damaged(5000, '\x33');
    std::ofstream(dir.file("Main.dll"), std::ios::binary) << damaged;
    EXPECT_EQ(manager().openUserData(dir.path()), 0);
    std::ifstream in(dir.file("Main.dll"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), damaged);
    EXPECT_FALSE(log.texts(2).empty());
    // Nothing was left open: the main store refuses work.
    auto* local = static_cast<Dmg::CLocalDataSerialize*>(manager().getDataSerialize("database"));
    std::vector<Dmg::CSendLosgMsg> entries;
    EXPECT_EQ(local->readAllSendLog(entries), 0);
}

}  // namespace
