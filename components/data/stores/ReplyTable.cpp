#include "components/data/stores/ReplyTable.h"

#include <cstdint>

#include "contracts/base/NeverDestroyed.h"

namespace Dmg::local {
namespace {

void bindReply(engine::Statement& s, const ReplyData& reply) {
    s.bind(2, reply.phone).bind(3, reply.extra).bind(4, reply.text);
    bindTime(s, 5, reply.time);
}

void readReply(const engine::Statement& row, ReplyData& reply) {
    reply.number = row.int32(0);
    reply.phone = row.bytes(1);
    reply.extra = row.bytes(2);
    reply.text = row.bytes(3);
    reply.time = timeAt(row, 4);
}

void setReplyId(ReplyData& reply, int id, int /*group*/) { reply.number = id; }

const char* const kTime =
    "(r.received_year, r.received_month, r.received_day, "
    "r.received_hour, r.received_minute)";

// One end of the range as a row-value comparison, so the order is the
// chronological one, field by field.
void timeBound(Query& q, const char* op, const CSmsData& t) {
    if (t.isUnset()) return;
    if (t.year < 1) {
        q.none = true;
        return;
    }
    std::string values;
    for (const std::int32_t part : {t.year, t.month, t.day, t.hour, t.minute}) {
        q.params.emplace_back(std::int64_t{part});
        values += (values.empty() ? "(?" : ", ?") + std::to_string(q.params.size());
    }
    q.where += (q.where.empty() ? " WHERE " : " AND ") + std::string(kTime) + " " + op + " " +
               values + ")";
}

}  // namespace

const engine::Schema& replySchema() {
    static Base::NeverDestroyed<const engine::Schema> schema{
        engine::Schema{"replies",
                       {"CREATE TABLE replies (id INTEGER PRIMARY KEY AUTOINCREMENT, "
                        "phone BLOB NOT NULL, extra BLOB NOT NULL, text BLOB NOT NULL, "
                        "received_year INTEGER NOT NULL, received_month INTEGER NOT NULL, "
                        "received_day INTEGER NOT NULL, received_hour INTEGER NOT NULL, "
                        "received_minute INTEGER NOT NULL);"}}};
    return schema.get();
}

const RecordTable<ReplyData>& replyTable() {
    static const RecordTable<ReplyData> table{
        "replies",
        "replies r",
        "r.id",
        "r.id, r.phone, r.extra, r.text, r.received_year, r.received_month, r.received_day, "
        "r.received_hour, r.received_minute",
        nullptr,
        "INSERT INTO replies (phone, extra, text, received_year, received_month, received_day, "
        "received_hour, received_minute) VALUES (?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)",
        "UPDATE replies SET phone = ?2, extra = ?3, text = ?4, received_year = ?5, "
        "received_month = ?6, received_day = ?7, received_hour = ?8, received_minute = ?9 "
        "WHERE id = ?1",
        "DELETE FROM replies WHERE id = ?1",
        "DELETE FROM replies",
        bindReply,
        readReply,
        setReplyId};
    return table;
}

int selectReplies(engine::Connection& db, const CSmsData& from, const CSmsData& to,
                  const std::string& key, std::vector<ReplyData>& out) {
    Query q = keysQuery({{{"r.phone", "r.text"}, key}});
    timeBound(q, ">=", from);
    timeBound(q, "<=", to);
    return findRecords(db, replyTable(), "replies r", q, out);
}

int deleteReplies(engine::Connection& db, const std::vector<int>& numbers) {
    engine::WriteTransaction tx(db);
    engine::Statement remove(db.db(), replyTable().remove);
    bool ok = tx.ok();
    for (auto n = numbers.begin(); ok && n != numbers.end(); ++n) {
        remove.reset();
        remove.bind(1, std::int64_t{*n});
        ok = remove.run();
    }
    if (!ok || !tx.commit()) {
        logRecordFailure("replies", "cannot delete");
        return 0;
    }
    return 1;
}

}  // namespace Dmg::local
