#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CLocalDataSerialize.h"
#include "contracts/dmg/CRejectWordsDataSerialize.h"
#include "tests/fakes/FakeUserConfig.h"
#include "tests/fakes/LogCapture.h"
#include "tests/fakes/ScopedStore.h"
#include "tests/fakes/TempDir.h"

namespace {

namespace fs = std::filesystem;

Dmg::CDataManager& manager() { return Dmg::CDataManager::getSingleton(); }

Dmg::IDataSerialize* named(const char* name) { return manager().getDataSerialize(name); }

template <class Store>
Store& store(const char* name) { return *static_cast<Store*>(named(name)); }

// The queue view and the sending thread have store objects of their own. A
// fake registered for a while (over a store or under a new name) gives way to
// what was there before. (Every store name is looked up by the tests that use it.)
TEST(DataManager, QueueStoresApartAndFakesAreUndone) {
    EXPECT_TRUE(named("sendqueuemodify") && named("sendqueuemodify") != named("sendqueuemodifyW"));
    EXPECT_EQ(named("testonly-store"), nullptr);
    Dmg::IDataSerialize* const original = named("userconfigfile");
    fakes::FakeUserConfig fake;
    {
        fakes::ScopedStore scope("userconfigfile", &fake), added("testonly-store", &fake);
        EXPECT_TRUE(named("userconfigfile") == &fake && named("testonly-store") == &fake);
    }
    EXPECT_TRUE(named("userconfigfile") == original && named("testonly-store") == nullptr);
}

// The name is added and removed again and again while another thread looks it up.
TEST(DataManager, LookupsWhileRegistering) {
    fakes::FakeUserConfig a;
    // stop: set by this thread, read by the reader; bad: the reader's until
    // joined. Both atomic, no lock.
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::thread reader([&] {
        while (!stop) {
            auto* s = named("testonly-race");
            if (s != nullptr && s != &a) ++bad;
        }
    });
    for (int i = 1; i <= 2000; ++i) {
        manager().registerDataSerialize("testonly-race", i % 2 ? &a : nullptr);
    }
    stop = true;
    reader.join();
    EXPECT_EQ(bad, 0);
}

auto& mainStore() { return store<Dmg::CLocalDataSerialize>("database"); }

// Adds `count` rows to the send log in one session, and returns the rows then.
int sendLogRows(const std::string& userDir, int count = 0) {
    std::vector<Dmg::CSendLosgMsg> entries;
    EXPECT_EQ(manager().openUserData(userDir), 1);
    for (int i = 0; i < count; ++i) EXPECT_EQ(mainStore().writeSendLog("id", "", "row"), 1);
    const int rows = mainStore().readAllSendLog(entries) - 1;
    manager().closeUserData();
    return rows;
}

// Regression: after closeUserData recent rows could still be in the
// write-ahead log (here because a store the manager does not own kept the file
// open), so a copy of the .dll files missed them, and a copy restored over the
// live file was read together with the old log.
TEST(UserData, ClosedFilesHoldEverythingForBackupAndRestore) {
    fakes::TempDir dir, backup, later;
    Dmg::CLocalDataSerialize other;
    for (const auto* copy : {&backup, &later}) {
        sendLogRows(dir.path(), copy == &backup ? 50 : 417);
        for (const char* file : {"Main.dll", "HLog.dll"}) {
            SCOPED_TRACE(file);
            const std::string wal = dir.file(file) + "-wal";  // none, or an empty one
            EXPECT_TRUE(!fs::exists(wal) || fs::file_size(wal) == 0);
            fs::copy_file(dir.file(file), copy->file(file));
        }
        ASSERT_EQ(other.initialize(dir.file("Main.dll"), "Quenp19990812"), 1);
    }
    // Written over the file `other` holds open, as a user restoring a backup
    // would (the filesystem library's overwrite refuses on Windows).
    std::ofstream(dir.file("Main.dll"), std::ios::binary | std::ios::trunc)
        << std::ifstream(backup.file("Main.dll"), std::ios::binary).rdbuf();
    EXPECT_EQ(sendLogRows(dir.path()), 50);
    other.close();
    EXPECT_EQ(sendLogRows(dir.path()), 50);
    EXPECT_EQ(sendLogRows(later.path()), 467);
}

// A good folder opens every store (a list is set only on an open one). One
// that cannot be opened (missing, or with a damaged file: how the engine
// refuses such files is the engine test's) gives 0 and a log line, is not
// created, and leaves no store open, not even one opened before the damaged
// file nor one of an earlier folder.
TEST(UserData, OpensEveryStoreAndRefusedFoldersLeaveNothingOpen) {
    fakes::TempDir good, dir;
    Dmg::CFriendSetMsg settings;
    ASSERT_EQ(manager().openUserData(good.path()), 1);
    ASSERT_EQ(mainStore().readSetting(settings), 1);  // now held in memory
    EXPECT_EQ(store<Dmg::CRejectWordsDataSerialize>("rejectwords").setRejectWords({"x"}), 1);
    manager().closeUserData();
    fakes::LogCapture log;
    EXPECT_EQ(manager().openUserData(dir.file("missing")), 0);
    EXPECT_FALSE(fs::exists(dir.file("missing")));
    for (const char* damaged : {"Main.dll", "HLog.dll"}) {  // opened first, then second
        SCOPED_TRACE(damaged);
        fs::remove(dir.file("Main.dll"));
        std::ofstream(dir.file(damaged), std::ios::binary) << std::string(5000, '\x33');
        EXPECT_EQ(manager().openUserData(dir.path()), 0);
        EXPECT_EQ(mainStore().readSetting(settings), 0);
    }
    EXPECT_FALSE(log.texts(2).empty());
}

}  // namespace
