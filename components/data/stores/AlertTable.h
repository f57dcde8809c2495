// The reminders on the main store: one row per reminder (id, group, type,
// owner's name and number, text, activation time, time added) in their own
// group tree (kAlertGroups). Results are those of CLocalDataSerialize.
#pragma once

#include <string>
#include <vector>

#include "components/data/engine/Connection.h"
#include "components/data/stores/RecordTable.h"
#include "contracts/dmg/CAlertInfo.h"

namespace Dmg::local {

const engine::Schema& alertSchema();
const RecordTable<CAlertInfo>& alertTable();

// Reminders filed under `groupId`, in id order.
int readGroupAlerts(engine::Connection& db, int groupId, std::vector<CAlertInfo>& out);
// "ID", "GroupID" (int); "AlertType" (text, exact), "PhoneOwerName",
// "MsgContent" (text held), "PhoneNum" (text, from the start);
// "ActiveTime", "AddTime" (time); 0 for any other field or a value of
// another type.
int selectAlerts(engine::Connection& db, const std::string& field, const FieldValue& value,
                 std::vector<CAlertInfo>& out);
// Reminders whose text holds `content` and whose owner's name or number
// holds `owner`.
int selectAlerts2Key(engine::Connection& db, const std::string& content, const std::string& owner,
                     std::vector<CAlertInfo>& out);

}  // namespace Dmg::local
