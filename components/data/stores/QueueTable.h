// The send-queue table of SQu.dll, shared by the queue store (sending side
// and queue view) and the log mover, so that both read and write one layout.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "components/data/engine/Connection.h"
#include "components/data/engine/Statement.h"
#include "contracts/dmg/QueueData.h"

namespace Dmg::queuetable {

const engine::Schema& schema();

// Adds packets in state kWaiting; run inside a write transaction. Ids are
// never reused, so a moved packet's id cannot come back for a new packet.
class Inserter {
public:
    explicit Inserter(engine::Connection& connection);
    bool insert(const QueueData& packet, std::int32_t& id);

private:
    engine::Connection& connection_;
    engine::Statement statement_;
};

enum class Which { All, Finished };

// Appends the packets (all, or those no longer waiting), oldest first, with
// record id and state. Nothing is appended when the read fails.
bool load(engine::Connection& connection, Which which, std::vector<QueueData>& out);

// Sets the state of packet `id`; `found` tells whether it exists.
bool setState(engine::Connection& connection, std::int32_t id, std::int32_t state, bool& found);

// Keeps the service's key of packet `id` while it still waits (the sender
// stores the key before the outcome); `found` tells whether it was set.
bool setServiceKey(engine::Connection& connection, std::int32_t id, const std::string& key,
                   bool& found);
// The service key of packet `id`; empty when it has none or is gone.
bool serviceKey(engine::Connection& connection, std::int32_t id, std::string& key);

enum class Removable { Waiting, Finished };

// Deletes those of the listed packets that are waiting, or finished; run
// inside a write transaction. `kept`, when given, receives the ids that exist
// but were left because they are in the other state; unknown ids are ignored.
bool remove(engine::Connection& connection, const std::vector<int>& ids, Removable which,
            std::vector<int>* kept = nullptr);

// Random bytes made together with the table. History rows are keyed by this
// origin and the record id, so a queue file that is replaced, and whose ids
// start again at 1, cannot collide with packets moved out of the old one.
bool origin(engine::Connection& connection, std::string& out);

}  // namespace Dmg::queuetable
