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

const char* kPassword = "Quenp19990812";

const Schema kNotes{"notes", {"CREATE TABLE notes (id INTEGER PRIMARY KEY, body BLOB NOT NULL)"}};

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool addNote(Database& db, const std::string& body) {
    Dmg::engine::WriteTransaction tx(db.connection());
    Statement insert(db.connection().db(), "INSERT INTO notes (body) VALUES (?)");
    insert.bind(1, body);
    return tx.ok() && insert.run() && tx.commit();
}

std::vector<std::string> notes(Database& db) {
    std::vector<std::string> out;
    Statement select(db.connection().db(), "SELECT body FROM notes ORDER BY id");
    while (select.step() == Statement::Step::Row) out.push_back(select.bytes(0));
    return out;
}

TEST(Engine, UnreadableFilesAreRefusedAndLeftAlone) {
    fakes::TempDir dir;
    const std::string good = dir.file("HLog.dll");
    {
        Database db;
        ASSERT_TRUE(db.open(good, kPassword, kNotes));
        ASSERT_TRUE(addNote(db, "keep me"));
    }
    Dmg::engine::closeIdleConnections();
    const std::string truncated = dir.file("truncated.dll"), garbage = dir.file("garbage.dll"),
                      tiny = dir.file("tiny.dll");
    std::ofstream(truncated, std::ios::binary) << slurp(good).substr(0, 3000);
    std::ofstream(garbage, std::ios::binary) << std::string(8192, '\x5a');
    std::ofstream(tiny, std::ios::binary) << "abc";
    const struct {
        std::string path, password;
    } cases[] = {{good, "wrong password"},
                 {truncated, kPassword},
                 {garbage, kPassword},
                 {tiny, kPassword},
                 {dir.file("no/such/folder/Main.dll"), kPassword}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const std::string before = slurp(c.path);
        fakes::LogCapture log;
        Database db;
        EXPECT_FALSE(db.open(c.path, c.password, kNotes));
        EXPECT_FALSE(log.texts(2).empty());
        EXPECT_EQ(slurp(c.path), before);
    }
    Database db;
    ASSERT_TRUE(db.open(good, kPassword, kNotes));
    EXPECT_EQ(notes(db), std::vector<std::string>{"keep me"});
}

TEST(Engine, SchemaUpgradesOnceAndRefusesNewerFiles) {
    fakes::TempDir dir;
    const std::string path = dir.file("Main.dll");
    {
        Database db;
        ASSERT_TRUE(db.open(path, kPassword, kNotes));
        ASSERT_TRUE(addNote(db, "v1 row"));
    }
    Schema v2 = kNotes;
    v2.steps.push_back("ALTER TABLE notes ADD COLUMN tag BLOB NOT NULL DEFAULT x'7631'");
    {
        Database db;
        ASSERT_TRUE(db.open(path, kPassword, v2));
        Statement tag(db.connection().db(), "SELECT tag FROM notes");
        ASSERT_EQ(tag.step(), Statement::Step::Row);
        EXPECT_EQ(tag.bytes(0), "v1");
    }
    Dmg::engine::closeIdleConnections();
    Database db;
    EXPECT_FALSE(db.open(path, kPassword, kNotes));  // written by a newer version
    Schema broken = v2;
    broken.steps.push_back("ALTER TABLE notes ADD COLUMN x BLOB");
    broken.steps.push_back("THIS IS NOT SQL");
    EXPECT_FALSE(db.open(path, kPassword, broken));
    // The failed upgrade left nothing half done.
    ASSERT_TRUE(db.open(path, kPassword, v2));
    Statement columns(db.connection().db(), "PRAGMA table_info(notes)");
    int count = 0;
    while (columns.step() == Statement::Step::Row) ++count;
    EXPECT_EQ(count, 3);
}

// The file is encrypted, and a connection with the text password and the
// slow derivation, as a database shell opens it, shares it. Regression: the
// key check read the file before the busy timeout was set, so a lock held
// for a moment elsewhere read as a wrong password.
TEST(Engine, EncryptedFileIsSharedWithATextPasswordConnection) {
    fakes::TempDir dir;
    const std::string path = dir.file("Main.dll");
    {
        Database db;
        ASSERT_TRUE(db.open(path, kPassword, kNotes));
        ASSERT_TRUE(addNote(db, "plain words here"));
    }
    Dmg::engine::closeIdleConnections();
    EXPECT_EQ(slurp(path).find("plain words"), std::string::npos);
    EXPECT_NE(slurp(path).substr(0, 15), "SQLite format 3");
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
    EXPECT_EQ(notes(db), (std::vector<std::string>{"plain words here", "raw"}));
}

// Regression: threads creating one new file at once each chose a salt of
// their own, and all but one then failed to read it.
TEST(Engine, ThreadsCreatingOneFileAgreeOnItsKey) {
    for (int round = 0; round < 10; ++round) {
        fakes::TempDir dir;
        const std::string path = dir.file("SQu.dll");
        std::atomic<int> opened{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 3; ++t) {
            threads.emplace_back([&] {
                Database db;
                if (db.open(path, kPassword, kNotes)) ++opened;
            });
        }
        for (auto& t : threads) t.join();
        ASSERT_EQ(opened, 3) << "round " << round;
    }
}

}  // namespace
