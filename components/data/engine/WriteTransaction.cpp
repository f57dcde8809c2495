#include "components/data/engine/WriteTransaction.h"

#include "components/data/engine/Connection.h"

namespace Dmg::engine {

// The level can only change outside a transaction; a durable transaction
// that cannot raise it does not begin.
WriteTransaction::WriteTransaction(Connection& connection, Commit commit)
    : connection_(connection), lock_(connection.writerMutex()) {
    durable_ = commit == Commit::Durable && connection_.exec("PRAGMA synchronous = FULL");
    if (commit == Commit::Durable && !durable_) return;
    begun_ = connection_.exec("BEGIN IMMEDIATE");
}

WriteTransaction::~WriteTransaction() {
    if (begun_) connection_.exec("ROLLBACK");
    if (durable_) connection_.exec("PRAGMA synchronous = NORMAL");
}

bool WriteTransaction::commit() {
    if (!begun_) return false;
    if (!connection_.exec("COMMIT")) return false;  // destructor rolls back
    begun_ = false;
    return true;
}

}  // namespace Dmg::engine
