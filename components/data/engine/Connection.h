// One open, keyed connection to an encrypted database file.
#pragma once

#include <memory>
#include <mutex>
#include <map>
#include <string>
#include <vector>

#include "contracts/platform/FileIdentity.h"

struct sqlite3;

namespace Dmg::engine {

// The tables of one store and how to bring them from any older version to
// the newest: steps[i] upgrades version i to i + 1. Each store keeps its own
// version in the file's meta table, so stores sharing a file evolve apart.
struct Schema {
    std::string component;
    std::vector<std::string> steps;
};

class Connection {
public:
    // Opens `path`, creating a new file when there is none. Null, with a log
    // line, when the folder is missing, the password is wrong or the file is
    // damaged; such a file is left exactly as it was.
    static std::unique_ptr<Connection> open(const std::string& path, const std::string& password);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* db() const { return db_; }
    // Runs SQL without parameters (schema scripts, pragmas).
    bool exec(const std::string& sql);
    // Creates or upgrades the tables of `schema` in one transaction; cheap
    // once done on this connection.
    bool ensure(const Schema& schema);
    // Copies the write-ahead log into the file and empties it, waiting for
    // other connections' transactions. False, logged, when it cannot.
    bool checkpoint();
    // True while this connection still refers to the file now at `path`.
    bool sameFileAs(const std::string& path) const;
    // Held by every write transaction on this file within the process.
    std::mutex& writerMutex() { return *writerMutex_; }

private:
    Connection() = default;
    bool migrate(const Schema& schema);

    sqlite3* db_ = nullptr;
    Platform::FileIdentity identity_;
    std::shared_ptr<std::mutex> writerMutex_;
    // Components whose tables this connection has checked, with their version.
    std::map<std::string, std::size_t> ensured_;
};

}  // namespace Dmg::engine
