#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "components/data/engine/Database.h"
#include "components/data/engine/Statement.h"
#include "components/data/engine/WriteTransaction.h"
#include "tests/fakes/LogCapture.h"
#include "tests/fakes/TempDir.h"

namespace {

using Dmg::engine::Database;
using Dmg::engine::Schema;
using Dmg::engine::Statement;
using Strings = std::vector<std::string>;

const char* kPassword = "Quenp19990812";

const Schema kNotes{"notes", {"CREATE TABLE notes (id INTEGER PRIMARY KEY, body BLOB NOT NULL)"}};

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Adds a note to the file at `path` (created when missing) and closes it.
bool addNote(const std::string& path, const std::string& body) {
    Database db;
    if (!db.open(path, kPassword, kNotes)) return false;
    Dmg::engine::WriteTransaction tx(db.connection());
    Statement insert(db.connection().db(), "INSERT INTO notes (body) VALUES (?)");
    insert.bind(1, body);
    return tx.ok() && insert.run() && tx.commit();
}

// The first column of every row `sql` selects.
Strings rows(Database& db, const char* sql = "SELECT body FROM notes ORDER BY id") {
    Strings out;
    Statement select(db.connection().db(), sql);
    while (select.step() == Statement::Step::Row) out.push_back(select.bytes(0));
    return out;
}

TEST(Engine, UnreadableFilesAreRefusedAndLeftAlone) {
    fakes::TempDir dir;
    const std::string good = dir.file("HLog.dll");
    ASSERT_TRUE(addNote(good, "keep me"));
    Dmg::engine::closeIdleConnections();
    const struct {
        const char* file;
        std::string contents, password;  // no contents: the file as it is
    } cases[] = {{"HLog.dll", "", "wrong password"},
                 {"truncated.dll", slurp(good).substr(0, 3000), kPassword},
                 {"garbage.dll", std::string(8192, '\x5a'), kPassword},
                 {"tiny.dll", "abc", kPassword},
                 {"no/such/folder/Main.dll", "", kPassword}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = dir.file(c.file);
        if (!c.contents.empty()) std::ofstream(path, std::ios::binary) << c.contents;
        const std::string before = slurp(path);
        fakes::LogCapture log;
        Database db;
        EXPECT_FALSE(db.open(path, c.password, kNotes));
        EXPECT_FALSE(log.texts(2).empty());
        EXPECT_EQ(slurp(path), before);
    }
    Database db;
    ASSERT_TRUE(db.open(good, kPassword, kNotes));
    EXPECT_EQ(rows(db), Strings{"keep me"});
}

TEST(Engine, SchemaUpgradesOnceAndRefusesNewerFiles) {
    fakes::TempDir dir;
    const std::string path = dir.file("Main.dll");
    ASSERT_TRUE(addNote(path, "v1 row"));  // its connection stays pooled
    Schema v2 = kNotes;
    v2.steps.push_back("ALTER TABLE notes ADD COLUMN tag BLOB NOT NULL DEFAULT x'7631'");
    {
        Database db;
        ASSERT_TRUE(db.open(path, kPassword, v2));
        EXPECT_EQ(rows(db, "SELECT tag FROM notes"), Strings{"v1"});
    }
    Dmg::engine::closeIdleConnections();
    Database db;
    EXPECT_FALSE(db.open(path, kPassword, kNotes));  // written by a newer version
    Schema broken = v2;
    broken.steps.insert(broken.steps.end(), {"ALTER TABLE notes ADD COLUMN x BLOB", "NOT SQL"});
    EXPECT_FALSE(db.open(path, kPassword, broken));
    // The failed upgrade left nothing half done.
    ASSERT_TRUE(db.open(path, kPassword, v2));
    EXPECT_EQ(rows(db, "PRAGMA table_info(notes)").size(), 3u);  // id, body, tag
}

// The file is encrypted, and a connection with the text password and the
// slow derivation, as a database shell opens it, shares it. Regression: the
// key check read the file before the busy timeout was set, so a lock held
// for a moment elsewhere read as a wrong password.
TEST(Engine, EncryptedFileIsSharedWithATextPasswordConnection) {
    fakes::TempDir dir;
    const std::string path = dir.file("Main.dll");
    ASSERT_TRUE(addNote(path, "plain words here"));
    Dmg::engine::closeIdleConnections();
    EXPECT_TRUE(slurp(path).find("plain words") == std::string::npos &&
                slurp(path).rfind("SQLite format 3", 0) == std::string::npos);
    std::atomic<int> locked{-1};  // set by the holder: 1 once it holds the lock, 0 if it cannot
    std::thread holder([&] {
        sqlite3* raw = nullptr;
        sqlite3_open(path.c_str(), &raw);
        sqlite3_key(raw, kPassword, static_cast<int>(std::string(kPassword).size()));
        const char* const hold =
            "PRAGMA cipher_page_size = 4096; PRAGMA locking_mode = EXCLUSIVE; "
            "BEGIN EXCLUSIVE; INSERT INTO notes (body) VALUES ('raw')";
        locked = sqlite3_exec(raw, hold, nullptr, nullptr, nullptr) == SQLITE_OK;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(raw);
    });
    while (locked < 0) std::this_thread::yield();
    Database db;
    const bool opened = locked == 1 && db.open(path, kPassword, kNotes);
    holder.join();
    ASSERT_TRUE(opened);
    EXPECT_EQ(rows(db), (Strings{"plain words here", "raw"}));
}

// Regression: threads creating one new file at once each chose a salt of
// their own, and all but one then failed to read it.
TEST(Engine, ThreadsCreatingOneFileAgreeOnItsKey) {
    for (int round = 0; round < 10; ++round) {
        fakes::TempDir dir;
        const std::string path = dir.file("SQu.dll");
        std::atomic<int> opened{0};  // added to by each thread, read once all are joined
        const auto open = [&] { opened += Database().open(path, kPassword, kNotes); };
        std::thread threads[] = {std::thread(open), std::thread(open), std::thread(open)};
        for (auto& t : threads) t.join();
        ASSERT_EQ(opened, 3) << "round " << round;
    }
}

}  // namespace
