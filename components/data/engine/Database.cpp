#include "components/data/engine/Database.h"

#include <sqlite3.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "contracts/base/NeverDestroyed.h"
#include "contracts/platform/FilePath.h"

namespace Dmg::engine {
namespace {

// Enough for the three threads that use one file at a time.
constexpr std::size_t kMaxIdlePerFile = 4;

// Connections of one generation: takeAll starts a new one, and a connection
// of an older generation given back afterwards is closed, not kept.
class Pool {
public:
    std::uint64_t generation() {
        const std::lock_guard<std::mutex> lock(mutex_);
        return generation_;
    }

    std::unique_ptr<Connection> take(const std::string& key, const std::string& path) {
        std::vector<std::unique_ptr<Connection>> stale;
        const std::lock_guard<std::mutex> lock(mutex_);
        auto& idle = idle_[key];
        while (!idle.empty()) {
            auto c = std::move(idle.back());
            idle.pop_back();
            // A file replaced or removed behind our back is not reused.
            if (c->sameFileAs(path)) return c;
            stale.push_back(std::move(c));
        }
        return nullptr;
    }

    void give(const std::string& key, std::unique_ptr<Connection> c, std::uint64_t generation) {
        const std::lock_guard<std::mutex> lock(mutex_);
        auto& idle = idle_[key];
        if (generation == generation_ && idle.size() < kMaxIdlePerFile) {
            idle.push_back(std::move(c));
        }
    }

    std::map<std::string, std::vector<std::unique_ptr<Connection>>> takeAll() {
        const std::lock_guard<std::mutex> lock(mutex_);
        ++generation_;
        return std::exchange(idle_, {});
    }

private:
    std::mutex mutex_;
    // Both under mutex_: every thread opening or closing a store reads them,
    // takeAll (shut-down) moves to the next generation.
    std::map<std::string, std::vector<std::unique_ptr<Connection>>> idle_;
    std::uint64_t generation_ = 0;
};

// Never destroyed: threads may still open and close stores at exit. Open
// connections at exit are safe; the write-ahead log is replayed on the next
// open.
Pool& pool() {
    static Base::NeverDestroyed<Pool> instance;
    return instance.get();
}

std::string poolKeyFor(const std::string& path, const std::string& password) {
    return Platform::canonicalPath(path) + '\n' + password;
}

}  // namespace

bool Database::open(const std::string& path, const std::string& password, const Schema& schema) {
    close();
    poolKey_ = poolKeyFor(path, password);
    generation_ = pool().generation();
    connection_ = pool().take(poolKey_, path);
    if (!connection_) connection_ = Connection::open(path, password);
    if (connection_ && !connection_->ensure(schema)) connection_.reset();
    return connection_ != nullptr;
}

void Database::close() {
    if (!connection_) return;
    // A connection left inside a transaction is not fit for reuse.
    if (sqlite3_get_autocommit(connection_->db()) == 0) connection_->exec("ROLLBACK");
    pool().give(poolKey_, std::move(connection_), generation_);
}

void closeIdleConnections() {
    for (auto& [key, idle] : pool().takeAll()) {
        // Everything into the file and an empty log, even when a connection
        // outside the pool keeps the file open; the last one to close removes
        // the log.
        if (!idle.empty()) idle.front()->checkpoint();
    }
}

}  // namespace Dmg::engine
