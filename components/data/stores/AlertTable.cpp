#include "components/data/stores/AlertTable.h"

#include "contracts/base/NeverDestroyed.h"

namespace Dmg::local {
namespace {

using Data = CAlertInfo::AlertInfoData;

void bindAlert(engine::Statement& s, const CAlertInfo& info) {
    const Data& d = info.getAlertInfoStrut();
    s.bind(2, d.alertType).bind(3, d.ownerName).bind(4, d.phoneNum).bind(5, d.content);
    bindTime(s, 6, d.activeTime);
    bindTime(s, 11, d.addTime);
}

void readAlert(const engine::Statement& row, CAlertInfo& info) {
    Data& d = info.getAlertInfoStrut();
    d.id = row.int32(0);
    d.groupId = row.int32(1);
    d.alertType = row.bytes(2);
    d.ownerName = row.bytes(3);
    d.phoneNum = row.bytes(4);
    d.content = row.bytes(5);
    d.activeTime = timeAt(row, 6);
    d.addTime = timeAt(row, 11);
}

void setAlertIds(CAlertInfo& info, int id, int group) {
    info.getAlertInfoStrut().id = id;
    info.getAlertInfoStrut().groupId = group;
}

const SearchField kFields[] = {
    {"ID", "a.id", FieldKind::Int, TextMatch::Exact, nullptr},
    {"GroupID", "a.group_id", FieldKind::Int, TextMatch::Exact, nullptr},
    {"AlertType", "a.alert_type", FieldKind::Text, TextMatch::Exact, nullptr},
    {"PhoneOwerName", "a.owner_name", FieldKind::Text, TextMatch::Contains, nullptr},
    {"PhoneNum", "a.phone_num", FieldKind::Text, TextMatch::Prefix, "alerts_phone"},
    {"MsgContent", "a.content", FieldKind::Text, TextMatch::Contains, nullptr},
    {"ActiveTime", "a.active", FieldKind::Time, TextMatch::Exact, nullptr},
    {"AddTime", "a.add", FieldKind::Time, TextMatch::Exact, nullptr},
};

}  // namespace

const engine::Schema& alertSchema() {
    // (group_id, id) serves a group's listing and deletion; the number's
    // index a search by its first digits.
    static Base::NeverDestroyed<const engine::Schema> schema{engine::Schema{
        "alerts",
        {groupTreeSql(kAlertGroups) +
         "CREATE TABLE alerts (id INTEGER PRIMARY KEY AUTOINCREMENT, group_id INTEGER NOT NULL, "
         "alert_type BLOB NOT NULL, owner_name BLOB NOT NULL, phone_num BLOB NOT NULL, "
         "content BLOB NOT NULL, active_year INTEGER NOT NULL, active_month INTEGER NOT NULL, "
         "active_day INTEGER NOT NULL, active_hour INTEGER NOT NULL, "
         "active_minute INTEGER NOT NULL, add_year INTEGER NOT NULL, "
         "add_month INTEGER NOT NULL, add_day INTEGER NOT NULL, add_hour INTEGER NOT NULL, "
         "add_minute INTEGER NOT NULL);"
         "CREATE INDEX alerts_group ON alerts (group_id, id);"
         "CREATE INDEX alerts_phone ON alerts (phone_num);"}}};
    return schema.get();
}

const RecordTable<CAlertInfo>& alertTable() {
    static const RecordTable<CAlertInfo> table{
        "reminders",
        "alerts a",
        "a.id",
        "a.id, a.group_id, a.alert_type, a.owner_name, a.phone_num, a.content, a.active_year, "
        "a.active_month, a.active_day, a.active_hour, a.active_minute, a.add_year, a.add_month, "
        "a.add_day, a.add_hour, a.add_minute",
        &kAlertGroups,
        "INSERT INTO alerts (group_id, alert_type, owner_name, phone_num, content, active_year, "
        "active_month, active_day, active_hour, active_minute, add_year, add_month, add_day, "
        "add_hour, add_minute) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, "
        "?14, ?15)",
        "UPDATE alerts SET alert_type = ?2, owner_name = ?3, phone_num = ?4, content = ?5, "
        "active_year = ?6, active_month = ?7, active_day = ?8, active_hour = ?9, "
        "active_minute = ?10, add_year = ?11, add_month = ?12, add_day = ?13, add_hour = ?14, "
        "add_minute = ?15 WHERE id = ?1",
        "DELETE FROM alerts WHERE id = ?1",
        "DELETE FROM alerts",
        bindAlert,
        readAlert,
        setAlertIds};
    return table;
}

int readGroupAlerts(engine::Connection& db, int groupId, std::vector<CAlertInfo>& out) {
    return selectAlerts(db, "GroupID", groupId, out);
}

int selectAlerts(engine::Connection& db, const std::string& field, const FieldValue& value,
                 std::vector<CAlertInfo>& out) {
    const SearchField* const f = findField(kFields, field, value);
    if (f == nullptr) {
        logRecordFailure("reminders", "no search field \"" + field + "\" of that type");
        return 0;
    }
    return findRecords(db, alertTable(), "alerts a", fieldQuery(*f, value), out);
}

int selectAlerts2Key(engine::Connection& db, const std::string& content, const std::string& owner,
                     std::vector<CAlertInfo>& out) {
    return findRecords(
        db, alertTable(), "alerts a",
        keysQuery({{{"a.content"}, content}, {{"a.owner_name", "a.phone_num"}, owner}}), out);
}

}  // namespace Dmg::local
