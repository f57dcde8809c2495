// The timed messages on Main.dll, shared by the log mover (which writes them)
// and the main store (which lists and deletes). A row is keyed by the queue
// file's origin and the packet's queue record id, so a move repeated after a
// crash cannot write a message twice.
#pragma once

#include <string>
#include <vector>

#include "components/data/engine/Connection.h"
#include "components/data/engine/Statement.h"
#include "components/data/stores/RecordTable.h"
#include "contracts/dmg/CTimerMsg.h"
#include "contracts/dmg/QueueData.h"

namespace Dmg::local {

const engine::Schema& timerMsgSchema();
const RecordTable<CTimerMsg>& timerMsgTable();

// The messages whose content holds `key` (all for an empty key), in id order.
int selectTimerMsgs(engine::Connection& db, const std::string& key, std::vector<CTimerMsg>& out);

// Adds the timed message of an accepted packet unless the row of (origin,
// record id) is there already; run inside a write transaction.
class TimerMsgWriter {
public:
    TimerMsgWriter(engine::Connection& connection, std::string origin);
    bool add(const QueueData& packet, const std::string& serviceKey);

private:
    engine::Statement statement_;
    std::string origin_;
};

}  // namespace Dmg::local
