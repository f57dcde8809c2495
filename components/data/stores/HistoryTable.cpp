#include "components/data/stores/HistoryTable.h"

#include <sqlite3.h>

#include <iterator>
#include <limits>
#include <utility>

#include "contracts/base/NeverDestroyed.h"

namespace Dmg::historytable {
namespace {

using engine::Statement;

// Plain texts, never destroyed: a thread may run a statement at exit.
#define HISTORY_ROW                                                                    \
    "SELECT number, year, month, day, hour, minute, first_text, success, second_text " \
    "FROM history "
#define HISTORY_RANGE                                                  \
    "WHERE (year, month, day, hour, minute) >= (?1, ?2, ?3, ?4, ?5) " \
    "AND (year, month, day, hour, minute) <= (?6, ?7, ?8, ?9, ?10) "
#define HISTORY_BY_TIME "ORDER BY year, month, day, hour, minute, number"
constexpr const char* kSelectRange = HISTORY_ROW HISTORY_RANGE HISTORY_BY_TIME;
constexpr const char* kSelectRangeOutcome =
    HISTORY_ROW HISTORY_RANGE "AND success = ?11 " HISTORY_BY_TIME;
constexpr const char* kSelectNumbers =
    HISTORY_ROW "WHERE number BETWEEN ? AND ? ORDER BY number";
#undef HISTORY_ROW
#undef HISTORY_RANGE
#undef HISTORY_BY_TIME

// Binds one end of a range; an open end becomes a bound no stored time passes.
void bindEnd(Statement& s, int first, const CSmsData& t, std::int64_t open) {
    if (t.isUnset()) {
        s.bind(first, open);
        for (int i = 1; i < 5; ++i) s.bind(first + i, std::int64_t{0});
        return;
    }
    s.bind(first, t.year).bind(first + 1, t.month).bind(first + 2, t.day);
    s.bind(first + 3, t.hour).bind(first + 4, t.minute);
}

CHistoryMsg readRow(const Statement& s) {
    CHistoryMsg m;
    m.number = s.int32(0);
    m.time = CSmsData(s.int32(1), s.int32(2), s.int32(3), s.int32(4), s.int32(5));
    m.firstText = s.bytes(6);
    m.success = s.int64(7) != 0;
    m.secondText = s.bytes(8);
    return m;
}

bool readAll(Statement& s, std::vector<CHistoryMsg>& out) {
    std::vector<CHistoryMsg> rows;
    Statement::Step step;
    while ((step = s.step()) == Statement::Step::Row) rows.push_back(readRow(s));
    if (step != Statement::Step::Done) return false;
    out.insert(out.end(), std::make_move_iterator(rows.begin()),
               std::make_move_iterator(rows.end()));
    return true;
}

}  // namespace

const engine::Schema& schema() {
    static Base::NeverDestroyed<const engine::Schema> kSchema{engine::Schema{
        "history",
        {"CREATE TABLE history ("
         "number INTEGER PRIMARY KEY AUTOINCREMENT, origin BLOB NOT NULL, "
         "queue_id INTEGER NOT NULL, year INTEGER NOT NULL, month INTEGER NOT NULL, "
         "day INTEGER NOT NULL, hour INTEGER NOT NULL, minute INTEGER NOT NULL, "
         "first_text BLOB NOT NULL, success INTEGER NOT NULL, second_text BLOB NOT NULL, "
         "UNIQUE (origin, queue_id));"
         "CREATE INDEX history_time ON history (year, month, day, hour, minute);"}}};
    return kSchema.get();
}

Writer::Writer(engine::Connection& connection, std::string origin)
    : statement_(connection.db(),
                 "INSERT OR IGNORE INTO history (origin, queue_id, year, month, day, hour, "
                 "minute, first_text, success, second_text) "
                 "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
      origin_(std::move(origin)) {}

bool Writer::add(const QueueData& packet, const CSmsData& time) {
    statement_.reset();
    statement_.bind(1, origin_).bind(2, packet.recordId);
    statement_.bind(3, time.year).bind(4, time.month).bind(5, time.day);
    statement_.bind(6, time.hour).bind(7, time.minute);
    statement_.bind(8, packet.displayText);
    statement_.bind(9, std::int64_t{packet.state == QueueData::kAccepted ? 1 : 0});
    statement_.bind(10, packet.phoneList);
    return statement_.run();
}

Lookup::Lookup(engine::Connection& connection, std::string origin)
    : statement_(connection.db(), "SELECT 1 FROM history WHERE origin = ? AND queue_id = ?"),
      origin_(std::move(origin)) {}

bool Lookup::has(std::int32_t recordId, bool& found) {
    statement_.reset();
    statement_.bind(1, origin_).bind(2, recordId);
    const auto step = statement_.step();
    found = step == Statement::Step::Row;
    return step != Statement::Step::Error;
}

bool selectTimes(engine::Connection& connection, const Range& range, Outcome outcome,
                 std::vector<CHistoryMsg>& out) {
    Statement select(connection.db(),
                     outcome == Outcome::Any ? kSelectRange : kSelectRangeOutcome);
    bindEnd(select, 1, range.from, std::numeric_limits<std::int64_t>::min());
    bindEnd(select, 6, range.to, std::numeric_limits<std::int64_t>::max());
    if (outcome != Outcome::Any) {
        select.bind(11, std::int64_t{outcome == Outcome::Succeeded ? 1 : 0});
    }
    return readAll(select, out);
}

bool selectNumbers(engine::Connection& connection, std::int64_t first, std::int64_t last,
                   std::vector<CHistoryMsg>& out) {
    Statement select(connection.db(), kSelectNumbers);
    select.bind(1, first).bind(2, last);
    return readAll(select, out);
}

bool numberSpan(engine::Connection& connection, std::int64_t& first, std::int64_t& last) {
    Statement span(connection.db(),
                   "SELECT coalesce(min(number), 1), coalesce(max(number), 0) FROM history");
    if (span.step() != Statement::Step::Row) return false;
    first = span.int64(0);
    last = span.int64(1);
    return true;
}

bool remove(engine::Connection& connection, std::int64_t number, bool& found) {
    Statement del(connection.db(), "DELETE FROM history WHERE number = ?");
    del.bind(1, number);
    if (!del.run()) return false;
    found = sqlite3_changes(connection.db()) > 0;
    return true;
}

}  // namespace Dmg::historytable
