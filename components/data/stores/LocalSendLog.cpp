#include "components/data/stores/LocalSendLog.h"

#include <iterator>

#include "components/data/engine/Statement.h"
#include "components/data/engine/WriteTransaction.h"
#include "contracts/base/CLog.h"
#include "contracts/base/NeverDestroyed.h"

namespace Dmg::local {
namespace {

void logFailure(const std::string& what) {
    Base::CLog::getSingleton().writeMessage("data: send log: " + what, 2);
}

CSendLosgMsg entryAt(const engine::Statement& row) {
    CSendLosgMsg entry;
    entry.number = row.int32(0);
    entry.time = CSmsData(row.int32(1), row.int32(2), row.int32(3), row.int32(4), row.int32(5));
    entry.firstText = row.bytes(6);
    entry.secondText = row.bytes(7);
    entry.thirdText = row.bytes(8);
    return entry;
}

}  // namespace

const engine::Schema& sendLogSchema() {
    // AUTOINCREMENT: an entry's number is never handed out twice.
    static Base::NeverDestroyed<const engine::Schema> schema{engine::Schema{
        "send_log",
        {"CREATE TABLE send_log (id INTEGER PRIMARY KEY AUTOINCREMENT, "
         "year INTEGER NOT NULL, month INTEGER NOT NULL, day INTEGER NOT NULL, "
         "hour INTEGER NOT NULL, minute INTEGER NOT NULL, "
         "log_text BLOB NOT NULL, sender_id BLOB NOT NULL, sender_extra BLOB NOT NULL)"}}};
    return schema.get();
}

bool appendSendLog(engine::Connection& db, const CSendLosgMsg& entry) {
    engine::WriteTransaction tx(db);
    engine::Statement insert(db.db(),
                             "INSERT INTO send_log (year, month, day, hour, minute, log_text, "
                             "sender_id, sender_extra) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    const CSmsData& t = entry.time;
    insert.bind(1, std::int64_t{t.year})
        .bind(2, std::int64_t{t.month})
        .bind(3, std::int64_t{t.day})
        .bind(4, std::int64_t{t.hour})
        .bind(5, std::int64_t{t.minute})
        .bind(6, entry.firstText)
        .bind(7, entry.secondText)
        .bind(8, entry.thirdText);
    if (!tx.ok() || !insert.run() || !tx.commit()) {
        logFailure("cannot add an entry");
        return false;
    }
    return true;
}

bool readSendLog(engine::Connection& db, std::vector<CSendLosgMsg>& out) {
    engine::Statement select(db.db(),
                             "SELECT id, year, month, day, hour, minute, log_text, sender_id, "
                             "sender_extra FROM send_log ORDER BY id");
    std::vector<CSendLosgMsg> entries;
    engine::Statement::Step step;
    while ((step = select.step()) == engine::Statement::Step::Row) {
        entries.push_back(entryAt(select));
    }
    if (step != engine::Statement::Step::Done) {
        logFailure("cannot read the entries");
        return false;
    }
    out.insert(out.end(), std::make_move_iterator(entries.begin()),
               std::make_move_iterator(entries.end()));
    return true;
}

}  // namespace Dmg::local
