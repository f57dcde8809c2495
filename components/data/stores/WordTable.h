// The phrase library on the main store: phrases (id, group, text, time
// added) in their own group tree (kWordGroups). Results are those of
// CLocalDataSerialize.
#pragma once

#include <string>
#include <vector>

#include "components/data/engine/Connection.h"
#include "components/data/stores/RecordTable.h"
#include "contracts/dmg/CWord.h"

namespace Dmg::local {

const engine::Schema& wordSchema();
const RecordTable<CWord>& wordTable();

// Phrases filed under `groupId`, in id order.
int readGroupWords(engine::Connection& db, int groupId, std::vector<CWord>& out);
// "ID", "GroupID" (int), "Content" (text held), "AddTime" (time); 0 for any
// other field or a value of another type.
int selectWords(engine::Connection& db, const std::string& field, const FieldValue& value,
                std::vector<CWord>& out);
// Phrases whose text holds `content` and whose group's name holds `group`.
int selectWords2Key(engine::Connection& db, const std::string& content, const std::string& group,
                    std::vector<CWord>& out);

}  // namespace Dmg::local
