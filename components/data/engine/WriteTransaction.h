// A write transaction: the file's in-process writer lock, then BEGIN
// IMMEDIATE, so that writers queue fairly instead of starving each other on
// the busy timeout, and a read-then-write never fails half-way as "locked".
// Rolls back unless committed. A durable one is synced to disk by its commit
// (synchronous FULL for that transaction), for a commit that another file's
// change or the caller's next step relies on (a queued send, an accepted
// packet); the usual commit survives a crash of the program, not a power cut.
#pragma once

#include <mutex>

namespace Dmg::engine {

class Connection;

class WriteTransaction {
public:
    enum class Commit { Normal, Durable };

    explicit WriteTransaction(Connection& connection, Commit commit = Commit::Normal);
    ~WriteTransaction();
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

    bool ok() const { return begun_; }
    bool commit();

private:
    Connection& connection_;
    std::unique_lock<std::mutex> lock_;
    bool begun_ = false;
    bool durable_ = false;
};

}  // namespace Dmg::engine
