// The received replies on the main store: one row per reply with the
// sender's number, the extension it came in on, its text and its time of
// arrival. Results are those of CLocalDataSerialize.
#pragma once

#include <string>
#include <vector>

#include "components/data/engine/Connection.h"
#include "components/data/stores/RecordTable.h"
#include "contracts/dmg/ReplyData.h"

namespace Dmg::local {

const engine::Schema& replySchema();
const RecordTable<ReplyData>& replyTable();

// The replies from `from` to `to` (both included; an unset end is open)
// whose phone or text holds `key`, in id order.
int selectReplies(engine::Connection& db, const CSmsData& from, const CSmsData& to,
                  const std::string& key, std::vector<ReplyData>& out);

// Deletes every listed reply in one transaction: 1, or 0 with none deleted.
int deleteReplies(engine::Connection& db, const std::vector<int>& numbers);

}  // namespace Dmg::local
