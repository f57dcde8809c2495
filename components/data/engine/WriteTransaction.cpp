#include "components/data/engine/WriteTransaction.h"

#include "components/data/engine/Connection.h"

namespace Dmg::engine {

WriteTransaction::WriteTransaction(Connection& connection)
    : connection_(connection), lock_(connection.writerMutex()) {
    begun_ = connection_.exec("BEGIN IMMEDIATE");
}

WriteTransaction::~WriteTransaction() {
    if (begun_) connection_.exec("ROLLBACK");
}

bool WriteTransaction::commit() {
    if (!begun_) return false;
    if (!connection_.exec("COMMIT")) return false;  // destructor rolls back
    begun_ = false;
    return true;
}

}  // namespace Dmg::engine
