#include "components/data/engine/Connection.h"

#include <sqlite3.h>
#include <filesystem>
#include <map>
#include <utility>

#include "components/data/engine/Key.h"
#include "components/data/engine/Statement.h"
#include "components/data/engine/WriteTransaction.h"
#include "contracts/base/CLog.h"
#include "contracts/base/NeverDestroyed.h"
#include "contracts/platform/FilePath.h"

namespace Dmg::engine {
namespace {

constexpr int kBusyTimeoutMs = 10000;

void logFailure(const std::string& path, const std::string& why) {
    Base::CLog::getSingleton().writeMessage("data: cannot open " + path + ": " + why, 2);
}

// One writer lock per file (by its identity) for the whole process.
std::shared_ptr<std::mutex> writerMutexFor(const Platform::FileIdentity& file) {
    struct Locks {
        std::mutex mutex;
        // Any thread opening a file, under mutex.
        std::map<Platform::FileIdentity, std::weak_ptr<std::mutex>> byFile;
    };
    static Base::NeverDestroyed<Locks> locks;
    const std::lock_guard<std::mutex> guard(locks.get().mutex);
    auto& slot = locks.get().byFile[file];
    auto lock = slot.lock();
    if (!lock) {
        lock = std::make_shared<std::mutex>();
        slot = lock;
    }
    return lock;
}

// The file's salt, or a new one when the file is missing or empty. False for
// a file too short to hold a salt.
bool saltFor(const std::string& path, std::string& salt, bool& isNew) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(Platform::filePath(path), ec);
    isNew = ec || size == 0;
    if (isNew) {
        salt = newSalt();
        return !salt.empty();
    }
    return readSalt(path, salt);
}

// Threads that find no file at once must not each create it with a salt of
// their own: creating a file, up to its first write, is done under this lock,
// and the file is looked at again once the lock is held.
std::mutex& creationMutex() {
    static Base::NeverDestroyed<std::mutex> mutex;
    return mutex.get();
}

}  // namespace

std::unique_ptr<Connection> Connection::open(const std::string& path,
                                             const std::string& password) {
    // The system reads a file name up to its first NUL byte: such a path
    // would open, or create, another file than the one named.
    if (path.find('\0') != std::string::npos) {
        logFailure(path, "the file name holds a NUL byte");
        return nullptr;
    }
    // SQLite would open a private temporary database and lose what is stored.
    if (path.empty()) {
        logFailure(path, "no file name");
        return nullptr;
    }
    // SQLite takes UTF-8 names on Windows; a name that is not GBK has none.
    const std::string sqliteName = Platform::sqlitePath(path);
    if (sqliteName.empty()) {
        logFailure(path, "the file name is not GBK text");
        return nullptr;
    }
    std::string salt;
    bool isNew = false;
    std::unique_lock<std::mutex> creating(creationMutex(), std::defer_lock);
    bool ok = saltFor(path, salt, isNew);
    if (ok && isNew) {
        creating.lock();
        ok = saltFor(path, salt, isNew);
    }
    if (!ok) {
        logFailure(path, "not a database file");
        return nullptr;
    }
    std::unique_ptr<Connection> c(new Connection());
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (isNew ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(sqliteName.c_str(), &c->db_, flags, nullptr) != SQLITE_OK) {
        logFailure(path, c->db_ ? sqlite3_errmsg(c->db_) : "out of memory");
        return nullptr;
    }
    // Before the first read: a lock held for a moment elsewhere (another
    // connection, process or a checkpoint) is waited for, not taken for a
    // wrong key.
    sqlite3_busy_timeout(c->db_, kBusyTimeoutMs);
    const std::string key = rawKey(password, salt);
    // Pages of 4 KiB write bulk data about twice as fast as the default 1 KiB;
    // the size must be given on every open.
    if (sqlite3_key(c->db_, key.data(), static_cast<int>(key.size())) != SQLITE_OK ||
        !c->exec("PRAGMA cipher_page_size = 4096")) {
        logFailure(path, "cannot set the key");
        return nullptr;
    }
    // The first read proves the key; nothing is written before it succeeds.
    if (!Statement(c->db_, "SELECT count(*) FROM sqlite_master").run()) {
        logFailure(path, "wrong password or damaged file");
        return nullptr;
    }
    // A new file gets its first page, and with it its salt, while the
    // creation lock is held.
    if (!c->exec("PRAGMA journal_mode = WAL") || !c->exec("PRAGMA synchronous = NORMAL") ||
        (isNew && !c->exec("CREATE TABLE IF NOT EXISTS meta (component BLOB PRIMARY KEY, "
                           "version INTEGER NOT NULL)"))) {
        logFailure(path, "cannot prepare the file");
        return nullptr;
    }
    if (!Platform::identifyFile(path, c->identity_)) {
        logFailure(path, "file vanished");
        return nullptr;
    }
    c->writerMutex_ = writerMutexFor(c->identity_);
    return c;
}

Connection::~Connection() { sqlite3_close_v2(db_); }

bool Connection::exec(const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) == SQLITE_OK) return true;
    Base::CLog::getSingleton().writeMessage(
        std::string("data: ") + (error ? error : "error") + " in: " + sql.substr(0, 80), 2);
    sqlite3_free(error);
    return false;
}

bool Connection::checkpoint() {
    if (sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr) ==
        SQLITE_OK) {
        return true;
    }
    Base::CLog::getSingleton().writeMessage(
        std::string("data: cannot fold the write-ahead log into its file: ") + sqlite3_errmsg(db_),
        2);
    return false;
}

bool Connection::sameFileAs(const std::string& path) const {
    Platform::FileIdentity now;
    return Platform::identifyFile(path, now) && now == identity_;
}

bool Connection::ensure(const Schema& schema) {
    const auto it = ensured_.find(schema.component);
    if (it != ensured_.end() && it->second == schema.steps.size()) return true;
    if (!migrate(schema)) return false;
    ensured_[schema.component] = schema.steps.size();
    return true;
}

bool Connection::migrate(const Schema& schema) {
    WriteTransaction tx(*this);
    if (!tx.ok() || !exec("CREATE TABLE IF NOT EXISTS meta (component BLOB PRIMARY KEY, "
                          "version INTEGER NOT NULL)")) {
        return false;
    }
    std::int64_t version = 0;
    {
        Statement read(db_, "SELECT version FROM meta WHERE component = ?");
        read.bind(1, schema.component);
        const auto step = read.step();
        if (step == Statement::Step::Error) return false;
        if (step == Statement::Step::Row) version = read.int64(0);
    }
    const auto target = static_cast<std::int64_t>(schema.steps.size());
    if (version > target) {
        Base::CLog::getSingleton().writeMessage(
            "data: " + schema.component + " was written by a newer version; left untouched", 2);
        return false;
    }
    for (auto v = version; v < target; ++v) {
        if (!exec(schema.steps[static_cast<std::size_t>(v)])) return false;
    }
    if (version < target) {
        Statement write(db_, "INSERT OR REPLACE INTO meta (component, version) VALUES (?, ?)");
        write.bind(1, schema.component).bind(2, target);
        if (!write.run()) return false;
    }
    return tx.commit();
}

}  // namespace Dmg::engine
