// The fault layer's power cut, on a plain SQLite file in WAL mode (its quota
// is what the full-disk tests stand on: they fail when it lets writes through).
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <string>

#include "tests/fakes/TempDir.h"
#include "tests/faults/FaultVfs.h"

namespace {

using Db = std::unique_ptr<sqlite3, decltype(&sqlite3_close_v2)>;

Db open(const std::string& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    return Db(db, &sqlite3_close_v2);
}

int exec(const Db& db, const std::string& sql) {
    return sqlite3_exec(db.get(), sql.c_str(), nullptr, nullptr, nullptr);
}

// The first column of the first row, or the error.
std::string value(const Db& db, const std::string& sql) {
    sqlite3_stmt* s = nullptr;
    std::string out = "error";
    if (sqlite3_prepare_v2(db.get(), sql.c_str(), -1, &s, nullptr) == SQLITE_OK &&
        sqlite3_step(s) == SQLITE_ROW) {
        const auto* text = sqlite3_column_text(s, 0);
        out = text ? reinterpret_cast<const char*>(text) : "null";
    }
    sqlite3_finalize(s);
    return out;
}

// A commit synced to disk survives a power cut; one that was not vanishes,
// though it was read back before the cut, also when half of its last write
// reached the disk, and when the power fails as a commit syncs.
TEST(FaultVfs, PowerCutKeepsSyncedCommitsOnly) {
    const struct {
        const char* name;
        bool tear, atSync;
    } cuts[] = {{"cut", false, false}, {"torn", true, false}, {"torn at a sync", true, true}};
    for (const auto& cut : cuts) {
        SCOPED_TRACE(cut.name);
        faults::ScopedFaultVfs scoped;
        fakes::TempDir dir;
        const std::string path = dir.file("cut.db");
        scoped.vfs().setBuffering(true);
        {
            const Db writer = open(path), reader = open(path);
            ASSERT_EQ(exec(writer,
                           "PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL; "
                           "CREATE TABLE t (x); INSERT INTO t VALUES ('synced');"
                           "PRAGMA synchronous = OFF; INSERT INTO t VALUES ('held');"),
                      SQLITE_OK);
            EXPECT_EQ(value(reader, "SELECT group_concat(x) FROM t"), "synced,held");
            const auto onDisk = std::filesystem::file_size(path + "-wal");
            if (cut.atSync) {
                scoped.vfs().arm({faults::Kind::Sync, 1, 0, false, true, cut.tear});
                EXPECT_NE(exec(writer, "PRAGMA synchronous = FULL; INSERT INTO t VALUES ('lost')"),
                          SQLITE_OK);
                EXPECT_EQ(scoped.vfs().fired(), 1);
            } else {
                scoped.vfs().powerCut(cut.tear);
            }
            EXPECT_EQ(std::filesystem::file_size(path + "-wal") > onDisk, cut.tear);
            EXPECT_EQ(exec(writer, "INSERT INTO t VALUES ('after')"), SQLITE_IOERR);  // dead
            EXPECT_NE(exec(open(path + "2"), "CREATE TABLE u (x)"), SQLITE_OK);  // nor a new file
            EXPECT_FALSE(scoped.vfs().powerOn());        // the dead files are open
        }
        EXPECT_TRUE(scoped.vfs().powerOn());
        scoped.vfs().setBuffering(false);
        const Db again = open(path);
        EXPECT_EQ(value(again, "SELECT group_concat(x) FROM t"), "synced");
        EXPECT_EQ(value(again, "PRAGMA integrity_check"), "ok");
    }
}

}  // namespace
