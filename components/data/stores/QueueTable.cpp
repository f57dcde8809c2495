#include "components/data/stores/QueueTable.h"

#include <sqlite3.h>

#include <iterator>
#include <limits>
#include <optional>

#include "contracts/base/NeverDestroyed.h"

namespace Dmg::queuetable {
namespace {

using engine::Statement;

// Plain texts, never destroyed: a thread may run a statement at exit.
// Every field of QueueData but the record id and the state, in record order.
#define QUEUE_FIELDS                                                                           \
    "packet_text, extra, common_msg, packet_id, timer_id, display_text, packet_marker, "       \
    "recipient_count, segment_count, timer_flag, timer_detail, timer_year, timer_month, "      \
    "timer_day, timer_hour, timer_minute, phone_list, queued_year, queued_month, queued_day, " \
    "queued_hour, queued_minute, skip_flag, packet_count, rejected"
constexpr const char* kInsert = "INSERT INTO send_queue (state, " QUEUE_FIELDS
                                ") VALUES (0, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                                "?, ?, ?, ?, ?, ?, ?, ?)";
constexpr const char* kSelectAll =
    "SELECT id, state, " QUEUE_FIELDS " FROM send_queue ORDER BY id";
constexpr const char* kSelectFinished =
    "SELECT id, state, " QUEUE_FIELDS " FROM send_queue WHERE state <> 0 ORDER BY id";
#undef QUEUE_FIELDS

// Binds values to consecutive parameters, from the first.
class Binder {
public:
    explicit Binder(Statement& s) : s_(s) {}
    Binder& operator<<(std::int64_t v) { s_.bind(next_++, v); return *this; }
    Binder& operator<<(const std::string& v) { s_.bind(next_++, v); return *this; }
    Binder& operator<<(const CSmsData& t) {
        return *this << t.year << t.month << t.day << t.hour << t.minute;
    }

private:
    Statement& s_;
    int next_ = 1;
};

void bindPacket(Statement& s, const QueueData& p) {
    Binder(s) << p.packetText << p.extra << p.commonMsg << p.packetId << p.timerId
              << p.displayText << p.packetMarker << p.recipientCount << p.segmentCount
              << p.timerFlag << p.timerDetail << p.timerData << p.phoneList << p.queuedTime
              << p.skipFlag << p.packetCount << p.rejected;
}

CSmsData readTime(const Statement& s, int& c) {
    CSmsData t;
    t.year = s.int32(c++);
    t.month = s.int32(c++);
    t.day = s.int32(c++);
    t.hour = s.int32(c++);
    t.minute = s.int32(c++);
    return t;
}

QueueData readPacket(const Statement& s) {
    QueueData p;
    int c = 0;
    p.recordId = s.int32(c++);
    p.state = s.int32(c++);
    p.packetText = s.bytes(c++);
    p.extra = s.bytes(c++);
    p.commonMsg = s.int32(c++);
    p.packetId = s.int32(c++);
    p.timerId = s.int32(c++);
    p.displayText = s.bytes(c++);
    p.packetMarker = s.int32(c++);
    p.recipientCount = s.int32(c++);
    p.segmentCount = s.int32(c++);
    p.timerFlag = s.int32(c++);
    p.timerDetail = s.int32(c++);
    p.timerData = readTime(s, c);
    p.phoneList = s.bytes(c++);
    p.queuedTime = readTime(s, c);
    p.skipFlag = s.int32(c++);
    p.packetCount = s.int32(c++);
    p.rejected = s.int32(c++);
    return p;
}

}  // namespace

const engine::Schema& schema() {
    static Base::NeverDestroyed<const engine::Schema> kSchema{engine::Schema{
        "sendqueue",
        {"CREATE TABLE send_queue ("
         "id INTEGER PRIMARY KEY AUTOINCREMENT, state INTEGER NOT NULL, "
         "packet_text BLOB NOT NULL, extra BLOB NOT NULL, common_msg INTEGER NOT NULL, "
         "packet_id INTEGER NOT NULL, timer_id INTEGER NOT NULL, display_text BLOB NOT NULL, "
         "packet_marker INTEGER NOT NULL, recipient_count INTEGER NOT NULL, "
         "segment_count INTEGER NOT NULL, timer_flag INTEGER NOT NULL, "
         "timer_detail INTEGER NOT NULL, timer_year INTEGER NOT NULL, "
         "timer_month INTEGER NOT NULL, timer_day INTEGER NOT NULL, timer_hour INTEGER NOT NULL, "
         "timer_minute INTEGER NOT NULL, phone_list BLOB NOT NULL, "
         "queued_year INTEGER NOT NULL, queued_month INTEGER NOT NULL, "
         "queued_day INTEGER NOT NULL, queued_hour INTEGER NOT NULL, "
         "queued_minute INTEGER NOT NULL, skip_flag INTEGER NOT NULL, "
         "packet_count INTEGER NOT NULL, rejected INTEGER NOT NULL);"
         "CREATE TABLE send_queue_origin (token BLOB NOT NULL);"
         "INSERT INTO send_queue_origin (token) VALUES (randomblob(16));",
         // The service's key of an accepted timed packet, for its timed message.
         "ALTER TABLE send_queue ADD COLUMN service_key BLOB NOT NULL DEFAULT x'';"}}};
    return kSchema.get();
}

Inserter::Inserter(engine::Connection& connection)
    : connection_(connection), statement_(connection.db(), kInsert) {}

bool Inserter::insert(const QueueData& packet, std::int32_t& id) {
    statement_.reset();
    bindPacket(statement_, packet);
    if (!statement_.run()) return false;
    const auto rowid = sqlite3_last_insert_rowid(connection_.db());
    // The record id field is 32 bits wide.
    if (rowid <= 0 || rowid > std::numeric_limits<std::int32_t>::max()) return false;
    id = static_cast<std::int32_t>(rowid);
    return true;
}

bool load(engine::Connection& connection, Which which, std::vector<QueueData>& out) {
    Statement select(connection.db(), which == Which::All ? kSelectAll : kSelectFinished);
    std::vector<QueueData> rows;
    Statement::Step step;
    while ((step = select.step()) == Statement::Step::Row) rows.push_back(readPacket(select));
    if (step != Statement::Step::Done) return false;
    out.insert(out.end(), std::make_move_iterator(rows.begin()),
               std::make_move_iterator(rows.end()));
    return true;
}

bool setState(engine::Connection& connection, std::int32_t id, std::int32_t state, bool& found) {
    Statement update(connection.db(), "UPDATE send_queue SET state = ? WHERE id = ?");
    update.bind(1, state).bind(2, id);
    if (!update.run()) return false;
    found = sqlite3_changes(connection.db()) > 0;
    return true;
}

bool setServiceKey(engine::Connection& connection, std::int32_t id, const std::string& key,
                   bool& found) {
    Statement update(connection.db(),
                     "UPDATE send_queue SET service_key = ? WHERE id = ? AND state = 0");
    update.bind(1, key).bind(2, id);
    if (!update.run()) return false;
    found = sqlite3_changes(connection.db()) > 0;
    return true;
}

bool serviceKey(engine::Connection& connection, std::int32_t id, std::string& key) {
    Statement select(connection.db(), "SELECT service_key FROM send_queue WHERE id = ?");
    select.bind(1, id);
    const auto step = select.step();
    if (step == Statement::Step::Error) return false;
    key = step == Statement::Step::Row ? select.bytes(0) : std::string();
    return true;
}

bool remove(engine::Connection& connection, const std::vector<int>& ids, Removable which,
            std::vector<int>* kept) {
    Statement del(connection.db(), which == Removable::Waiting
                                       ? "DELETE FROM send_queue WHERE id = ? AND state = 0"
                                       : "DELETE FROM send_queue WHERE id = ? AND state <> 0");
    // Only asked for when the caller wants to know which rows stayed.
    std::optional<Statement> exists;
    if (kept != nullptr) exists.emplace(connection.db(), "SELECT 1 FROM send_queue WHERE id = ?");
    for (const int id : ids) {
        del.reset();
        del.bind(1, id);
        if (!del.run()) return false;
        if (!exists || sqlite3_changes(connection.db()) > 0) continue;
        exists->reset();
        exists->bind(1, id);
        const auto step = exists->step();
        if (step == Statement::Step::Error) return false;
        if (step == Statement::Step::Row) kept->push_back(id);
    }
    return true;
}

bool origin(engine::Connection& connection, std::string& out) {
    Statement select(connection.db(), "SELECT token FROM send_queue_origin");
    if (select.step() != Statement::Step::Row) return false;
    out = select.bytes(0);
    return !out.empty();
}

}  // namespace Dmg::queuetable
