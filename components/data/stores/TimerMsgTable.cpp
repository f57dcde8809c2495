#include "components/data/stores/TimerMsgTable.h"

#include <utility>

#include "contracts/base/NeverDestroyed.h"

namespace Dmg::local {
namespace {

void bindTimerMsg(engine::Statement& s, const CTimerMsg& m) {
    s.bind(2, m.group);
    s.bind(3, m.serviceKey);
    s.bind(4, m.content);
    s.bind(5, m.phoneList);
    s.bind(6, m.recipientCount);
    s.bind(7, m.segmentCount);
    s.bind(8, m.timerDetail);
    bindTime(s, 9, m.timerTime);
}

void readTimerMsg(const engine::Statement& row, CTimerMsg& m) {
    m.recordId = row.int32(0);
    m.group = row.int32(1);
    m.serviceKey = row.bytes(2);
    m.content = row.bytes(3);
    m.phoneList = row.bytes(4);
    m.recipientCount = row.int32(5);
    m.segmentCount = row.int32(6);
    m.timerDetail = row.int32(7);
    m.timerTime = timeAt(row, 8);
}

void setTimerMsgId(CTimerMsg& m, int id, int /*group*/) { m.recordId = id; }

#define TIMER_FIELDS                                                               \
    "group_no, service_key, content, phone_list, recipient_count, segment_count, " \
    "timer_detail, timer_year, timer_month, timer_day, timer_hour, timer_minute"
constexpr const char* kInsert = "INSERT INTO timer_messages (origin, queue_id, " TIMER_FIELDS
                                ") VALUES (x'', 0, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, "
                                "?12, ?13)";
constexpr const char* kInsertMoved =
    "INSERT OR IGNORE INTO timer_messages (origin, queue_id, " TIMER_FIELDS
    ") VALUES (?14, ?15, ?2, ?3, ?4, ?5, ?6, ?7, "
    "?8, ?9, ?10, ?11, ?12, ?13)";
#undef TIMER_FIELDS

}  // namespace

const engine::Schema& timerMsgSchema() {
    static Base::NeverDestroyed<const engine::Schema> schema{engine::Schema{
        "timer_messages",
        {"CREATE TABLE timer_messages (id INTEGER PRIMARY KEY AUTOINCREMENT, "
         "origin BLOB NOT NULL, queue_id INTEGER NOT NULL, group_no INTEGER NOT NULL, "
         "service_key BLOB NOT NULL, content BLOB NOT NULL, phone_list BLOB NOT NULL, "
         "recipient_count INTEGER NOT NULL, segment_count INTEGER NOT NULL, "
         "timer_detail INTEGER NOT NULL, timer_year INTEGER NOT NULL, "
         "timer_month INTEGER NOT NULL, timer_day INTEGER NOT NULL, "
         "timer_hour INTEGER NOT NULL, timer_minute INTEGER NOT NULL);"
         // Only moved packets carry an origin; records added otherwise have none.
         "CREATE UNIQUE INDEX timer_messages_moved ON timer_messages (origin, queue_id) "
         "WHERE origin <> x'';"}}};
    return schema.get();
}

const RecordTable<CTimerMsg>& timerMsgTable() {
    static const RecordTable<CTimerMsg> table{
        "timed messages",
        "timer_messages t",
        "t.id",
        "t.id, t.group_no, t.service_key, t.content, t.phone_list, t.recipient_count, "
        "t.segment_count, t.timer_detail, t.timer_year, t.timer_month, t.timer_day, "
        "t.timer_hour, t.timer_minute",
        nullptr,
        kInsert,
        "UPDATE timer_messages SET group_no = ?2, service_key = ?3, content = ?4, "
        "phone_list = ?5, recipient_count = ?6, segment_count = ?7, timer_detail = ?8, "
        "timer_year = ?9, timer_month = ?10, timer_day = ?11, timer_hour = ?12, "
        "timer_minute = ?13 WHERE id = ?1",
        "DELETE FROM timer_messages WHERE id = ?1",
        "DELETE FROM timer_messages",
        bindTimerMsg,
        readTimerMsg,
        setTimerMsgId};
    return table;
}

int selectTimerMsgs(engine::Connection& db, const std::string& key, std::vector<CTimerMsg>& out) {
    return findRecords(db, timerMsgTable(), "timer_messages t", keysQuery({{{"t.content"}, key}}),
                       out);
}

TimerMsgWriter::TimerMsgWriter(engine::Connection& connection, std::string origin)
    : statement_(connection.db(), kInsertMoved), origin_(std::move(origin)) {}

bool TimerMsgWriter::add(const QueueData& packet, const std::string& serviceKey) {
    CTimerMsg m;
    m.group = packet.timerId;
    m.serviceKey = serviceKey;
    m.content = packet.displayText;
    m.phoneList = packet.phoneList;
    m.recipientCount = packet.recipientCount;
    m.segmentCount = packet.segmentCount;
    m.timerDetail = packet.timerDetail;
    m.timerTime = packet.timerData;
    statement_.reset();
    bindTimerMsg(statement_, m);
    statement_.bind(14, origin_);
    statement_.bind(15, packet.recordId);
    return statement_.run();
}

}  // namespace Dmg::local
