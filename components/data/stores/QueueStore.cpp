// The send-queue store on SQu.dll: the send pipeline writes packets, the
// sending worker records each outcome, the queue view lists and removes.
#include "contracts/dmg/CSendQueueSerialize.h"

#include "components/data/engine/Database.h"
#include "components/data/engine/WriteTransaction.h"
#include "components/data/stores/QueueLog.h"
#include "components/data/stores/QueueTable.h"

namespace Dmg {
namespace {

int failed(const std::string& what) { return stores::failed("send queue", what); }

}  // namespace

struct CSendQueueSerialize::Impl {
    engine::Database db;

    bool ready(const char* operation) const {
        if (db.isOpen()) return true;
        failed(std::string(operation) + " before initialize");
        return false;
    }
};

CSendQueueSerialize::CSendQueueSerialize() : impl_(std::make_unique<Impl>()) {}
CSendQueueSerialize::~CSendQueueSerialize() = default;

int CSendQueueSerialize::initialize(const std::string& path, const std::string& password) {
    if (!impl_->db.open(path, password, queuetable::schema())) return failed("cannot open " + path);
    return 1;
}

int CSendQueueSerialize::close() {
    impl_->db.close();
    return 1;
}

int CSendQueueSerialize::writeQueue(const std::vector<QueueData>& packets, std::vector<int>& ids) {
    if (!impl_->ready("writeQueue")) return 0;
    auto& connection = impl_->db.connection();
    // On disk before the caller is told the packets are queued: a send
    // reported as queued must survive a power cut.
    engine::WriteTransaction tx(connection, engine::WriteTransaction::Commit::Durable);
    if (!tx.ok()) return failed("writeQueue cannot begin");
    queuetable::Inserter inserter(connection);
    std::vector<int> added;
    added.reserve(packets.size());
    for (const auto& packet : packets) {
        std::int32_t id = 0;
        if (!inserter.insert(packet, id)) return failed("writeQueue failed; nothing stored");
        added.push_back(id);
    }
    if (!tx.commit()) return failed("writeQueue cannot commit; nothing stored");
    ids.insert(ids.end(), added.begin(), added.end());
    return 1;
}

int CSendQueueSerialize::modifyStatus(const int& id, const int& status) {
    if (!impl_->ready("modifyStatus")) return 0;
    auto& connection = impl_->db.connection();
    // On disk at once: an acceptance lost to a power cut sends the packet
    // again. The service key stored just before goes to disk with it.
    engine::WriteTransaction tx(connection, engine::WriteTransaction::Commit::Durable);
    bool found = false;
    const auto state = status == 1 ? QueueData::kAccepted : QueueData::kFailed;
    if (!tx.ok() || !queuetable::setState(connection, id, state, found)) {
        return failed("modifyStatus failed for packet " + std::to_string(id));
    }
    if (!found) return failed("modifyStatus: no packet " + std::to_string(id));
    if (!tx.commit()) return failed("modifyStatus cannot commit");
    return 1;
}

int CSendQueueSerialize::setServiceKey(const int& id, const std::string& key) {
    if (!impl_->ready("setServiceKey")) return 0;
    auto& connection = impl_->db.connection();
    engine::WriteTransaction tx(connection);
    bool found = false;
    if (!tx.ok() || !queuetable::setServiceKey(connection, id, key, found) || !tx.commit()) {
        return failed("setServiceKey failed for packet " + std::to_string(id));
    }
    if (!found) return failed("setServiceKey: no waiting packet " + std::to_string(id));
    return 1;
}

int CSendQueueSerialize::loadAllQueue(std::vector<QueueData>& out) {
    if (!impl_->ready("loadAllQueue")) return 0;
    if (!queuetable::load(impl_->db.connection(), queuetable::Which::All, out)) {
        return failed("loadAllQueue failed");
    }
    return 1;
}

// Only packets still waiting are deleted. A packet already sent stays, so
// that the log mover still brings it into the history.
int CSendQueueSerialize::delQueue(const std::vector<int>& ids) {
    if (!impl_->ready("delQueue")) return 0;
    auto& connection = impl_->db.connection();
    engine::WriteTransaction tx(connection);
    std::vector<int> sent;
    if (!tx.ok() ||
        !queuetable::remove(connection, ids, queuetable::Removable::Waiting, &sent) ||
        !tx.commit()) {
        return failed("delQueue failed; nothing deleted");
    }
    for (const int id : sent) {
        Base::CLog::getSingleton().writeMessage("data: send queue: delQueue: packet " +
                                                    std::to_string(id) +
                                                    " was already sent; it stays for the history",
                                                2);
    }
    return 1;
}

}  // namespace Dmg
