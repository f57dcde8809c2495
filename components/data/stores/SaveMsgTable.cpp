#include "components/data/stores/SaveMsgTable.h"

#include "contracts/base/NeverDestroyed.h"

namespace Dmg::local {
namespace {

void bindSaveMsg(engine::Statement& s, const CSaveMsg& msg) {
    s.bind(2, msg.text);
    bindTime(s, 3, msg.time);
}

void readSaveMsg(const engine::Statement& row, CSaveMsg& msg) {
    msg.number = row.int32(0);
    msg.text = row.bytes(1);
    msg.time = timeAt(row, 2);
}

void setSaveMsgId(CSaveMsg& msg, int id, int /*group*/) { msg.number = id; }

}  // namespace

const engine::Schema& saveMsgSchema() {
    static Base::NeverDestroyed<const engine::Schema> schema{engine::Schema{
        "saved_messages",
        {"CREATE TABLE saved_messages (id INTEGER PRIMARY KEY AUTOINCREMENT, "
         "text BLOB NOT NULL, saved_year INTEGER NOT NULL, saved_month INTEGER NOT NULL, "
         "saved_day INTEGER NOT NULL, saved_hour INTEGER NOT NULL, "
         "saved_minute INTEGER NOT NULL);"}}};
    return schema.get();
}

const RecordTable<CSaveMsg>& saveMsgTable() {
    static const RecordTable<CSaveMsg> table{
        "saved messages",
        "saved_messages m",
        "m.id",
        "m.id, m.text, m.saved_year, m.saved_month, m.saved_day, m.saved_hour, m.saved_minute",
        nullptr,
        "INSERT INTO saved_messages (text, saved_year, saved_month, saved_day, saved_hour, "
        "saved_minute) VALUES (?2, ?3, ?4, ?5, ?6, ?7)",
        "UPDATE saved_messages SET text = ?2, saved_year = ?3, saved_month = ?4, "
        "saved_day = ?5, saved_hour = ?6, saved_minute = ?7 WHERE id = ?1",
        "DELETE FROM saved_messages WHERE id = ?1",
        "DELETE FROM saved_messages",
        bindSaveMsg,
        readSaveMsg,
        setSaveMsgId};
    return table;
}

int selectSaveMsgs(engine::Connection& db, const std::string& key, std::vector<CSaveMsg>& out) {
    return findRecords(db, saveMsgTable(), "saved_messages m", keysQuery({{{"m.text"}, key}}), out);
}

}  // namespace Dmg::local
