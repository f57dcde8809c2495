// The log thread's store: moves finished packets from the send queue into the
// history, exactly once. A pass is getAllSendData, writeLog, deleteSendData.
// History rows are keyed by (queue origin, record id) and written with INSERT
// OR IGNORE; a packet leaves the queue only once its row is committed and
// synced to disk. So a pass cut short anywhere (a power cut included), or
// repeated, neither loses nor duplicates a packet. An accepted timed packet
// also becomes a timed message in Main.dll, keyed the same way and committed
// before its history row, so it too is written exactly once.
#include "contracts/dmg/CLogSendQueueSerialize.h"

#include "components/data/engine/Database.h"
#include "components/data/engine/WriteTransaction.h"
#include "components/data/stores/HistoryTable.h"
#include "components/data/stores/HistoryTime.h"
#include "components/data/stores/QueueLog.h"
#include "components/data/stores/QueueTable.h"
#include "components/data/stores/TimerMsgTable.h"

namespace Dmg {
namespace {

int failed(const std::string& what) { return stores::failed("log mover", what); }

// Switches off the overwriting of freed pages (on by default in this build)
// for one deletion, and restores it. The packets deleted by a pass live on in
// the history, so zeroing their pages protects nothing, and it makes a pass
// half as slow again.
class PlainDelete {
public:
    explicit PlainDelete(engine::Connection& connection) : connection_(connection) {
        engine::Statement read(connection.db(), "PRAGMA secure_delete");
        previous_ = read.step() == engine::Statement::Step::Row ? read.int64(0) : 1;
        connection_.exec("PRAGMA secure_delete = 0");
    }
    ~PlainDelete() { connection_.exec("PRAGMA secure_delete = " + std::to_string(previous_)); }
    PlainDelete(const PlainDelete&) = delete;
    PlainDelete& operator=(const PlainDelete&) = delete;

private:
    engine::Connection& connection_;
    std::int64_t previous_ = 1;
};

bool isAcceptedTimed(const QueueData& packet) {
    return packet.timerFlag != 0 && packet.state == QueueData::kAccepted;
}

// A packet's history time: when it was queued, or now for a packet without one.
CSmsData historyTime(const QueueData& packet, const CSmsData& now) {
    return packet.queuedTime.isUnset() ? now : packet.queuedTime;
}

}  // namespace

struct CLogSendQueueSerialize::Impl {
    engine::Database history;
    engine::Database queue;
    engine::Database main;
    std::string origin;  // of the open queue file

    bool ready(const char* operation, bool needsHistory) const {
        if (queue.isOpen() && (history.isOpen() || !needsHistory)) return true;
        failed(std::string(operation) + " before initialize");
        return false;
    }

    int open(engine::Database& db, const std::string& path, const std::string& password,
             const engine::Schema& schema) {
        return db.open(path, password, schema) ? 1 : failed("cannot open " + path);
    }

    bool committedRows(const std::vector<int>& ids, std::vector<int>& confirmed) {
        historytable::Lookup lookup(history.connection(), origin);
        for (const int id : ids) {
            bool found = false;
            if (!lookup.has(id, found)) return false;
            if (found) confirmed.push_back(id);
        }
        return true;
    }

    // The timed messages of the accepted timed packets among `records`, on
    // disk before their history rows. 1, or 0 with nothing written.
    int writeTimerMsgs(const std::vector<QueueData>& records) {
        bool any = false;
        for (const auto& packet : records) any = any || isAcceptedTimed(packet);
        if (!any) return 1;
        if (!main.isOpen()) return failed("writeLog: timed packets but no main file");
        auto& connection = main.connection();
        engine::WriteTransaction tx(connection, engine::WriteTransaction::Commit::Durable);
        if (!tx.ok()) return failed("writeLog cannot begin on the main file");
        local::TimerMsgWriter writer(connection, origin);
        for (const auto& packet : records) {
            if (!isAcceptedTimed(packet)) continue;
            std::string key;
            if (!queuetable::serviceKey(queue.connection(), packet.recordId, key) ||
                !writer.add(packet, key)) {
                return failed("writeLog: timed messages failed; nothing written");
            }
        }
        if (!tx.commit()) return failed("writeLog: timed messages cannot commit");
        return 1;
    }
};

CLogSendQueueSerialize::CLogSendQueueSerialize() : impl_(std::make_unique<Impl>()) {}
CLogSendQueueSerialize::~CLogSendQueueSerialize() = default;

int CLogSendQueueSerialize::initializeHistroyDB(const std::string& path,
                                                const std::string& password) {
    return impl_->open(impl_->history, path, password, historytable::schema());
}

int CLogSendQueueSerialize::initializeSendQueueDB(const std::string& path,
                                                  const std::string& password) {
    if (impl_->open(impl_->queue, path, password, queuetable::schema()) == 0) return 0;
    if (queuetable::origin(impl_->queue.connection(), impl_->origin)) return 1;
    impl_->queue.close();
    return failed("no queue origin in " + path);
}

int CLogSendQueueSerialize::initializeMainDB(const std::string& path,
                                             const std::string& password) {
    return impl_->open(impl_->main, path, password, local::timerMsgSchema());
}

int CLogSendQueueSerialize::closeHistoryDB() {
    impl_->history.close();
    return 1;
}

int CLogSendQueueSerialize::closeSendQueueDB() {
    impl_->queue.close();
    return 1;
}

int CLogSendQueueSerialize::closeMainDB() {
    impl_->main.close();
    return 1;
}

int CLogSendQueueSerialize::getAllSendData(std::vector<QueueData>& records,
                                           std::vector<int>& ids) {
    if (!impl_->ready("getAllSendData", false)) return 0;
    std::vector<QueueData> finished;
    if (!queuetable::load(impl_->queue.connection(), queuetable::Which::Finished, finished)) {
        return failed("getAllSendData failed");
    }
    for (const auto& packet : finished) ids.push_back(packet.recordId);
    records.insert(records.end(), std::make_move_iterator(finished.begin()),
                   std::make_move_iterator(finished.end()));
    return 1;
}

int CLogSendQueueSerialize::writeLog(const std::vector<QueueData>& records) {
    if (!impl_->ready("writeLog", true)) return 0;
    if (impl_->writeTimerMsgs(records) == 0) return 0;
    auto& connection = impl_->history.connection();
    // On disk before deleteSendData removes the packets from the other file.
    engine::WriteTransaction tx(connection, engine::WriteTransaction::Commit::Durable);
    if (!tx.ok()) return failed("writeLog cannot begin");
    historytable::Writer writer(connection, impl_->origin);
    const CSmsData now = historytime::now();
    for (const auto& packet : records) {
        if (!writer.add(packet, historyTime(packet, now))) {
            return failed("writeLog failed; nothing written");
        }
    }
    if (!tx.commit()) return failed("writeLog cannot commit; nothing written");
    return 1;
}

int CLogSendQueueSerialize::deleteSendData(const std::vector<int>& ids) {
    if (!impl_->ready("deleteSendData", true)) return 0;
    std::vector<int> confirmed;
    if (!impl_->committedRows(ids, confirmed)) return failed("deleteSendData cannot read history");
    auto& connection = impl_->queue.connection();
    const PlainDelete plain(connection);
    engine::WriteTransaction tx(connection);
    if (!tx.ok() ||
        !queuetable::remove(connection, confirmed, queuetable::Removable::Finished) ||
        !tx.commit()) {
        return failed("deleteSendData failed; nothing deleted");
    }
    return 1;
}

}  // namespace Dmg
