// What a store holds between its initialize() and close(): a connection
// taken from a process-wide pool and given back on close. Idle connections
// stay open, so the key is not derived again and the write-ahead log is not
// checkpointed and removed on every cycle.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "components/data/engine/Connection.h"

namespace Dmg::engine {

class Database {
public:
    Database() = default;
    ~Database() { close(); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Takes a connection to `path` (an idle one when the pool has it) and
    // makes sure the tables of `schema` are there. False, with a log line,
    // when the file cannot be opened.
    bool open(const std::string& path, const std::string& password, const Schema& schema);
    // Gives the connection back to the pool. Harmless when not open.
    void close();
    bool isOpen() const { return connection_ != nullptr; }
    Connection& connection() { return *connection_; }

private:
    std::string poolKey_;
    std::uint64_t generation_ = 0;  // of the pool when the connection was taken
    std::unique_ptr<Connection> connection_;
};

// Really closes every idle connection (shut-down; before files are copied,
// moved or removed), after folding each file's write-ahead log into it and
// emptying the log. A connection open meanwhile is closed, not pooled, when
// it is given back.
void closeIdleConnections();

}  // namespace Dmg::engine
