// A write transaction: the file's in-process writer lock, then BEGIN
// IMMEDIATE, so that writers queue fairly instead of starving each other on
// the busy timeout, and a read-then-write never fails half-way as "locked".
// Rolls back unless committed.
#pragma once

#include <mutex>

namespace Dmg::engine {

class Connection;

class WriteTransaction {
public:
    explicit WriteTransaction(Connection& connection);
    ~WriteTransaction();
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

    bool ok() const { return begun_; }
    bool commit();

private:
    Connection& connection_;
    std::unique_lock<std::mutex> lock_;
    bool begun_ = false;
};

}  // namespace Dmg::engine
