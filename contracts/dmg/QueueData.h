// One packet of the send queue with its bookkeeping, in record order.
#pragma once

#include <cstdint>
#include <string>

#include "contracts/dmg/CSmsData.h"
#include "contracts/export.h"

namespace Dmg {

class DMG_API QueueData {
public:
    // Values of `state`, kept by the send-queue store.
    enum State : std::int32_t { kWaiting = 0, kAccepted = 1, kFailed = 2 };

    std::string packetText;        // the network library's text of the packet
    std::string extra;             // stored and read back, not used by the library
    std::int32_t commonMsg = 0;
    std::int32_t packetId = 0;
    std::int32_t timerId = 0;
    std::string displayText;
    std::int32_t packetMarker = 0;
    std::int32_t recipientCount = 0;
    std::int32_t segmentCount = 0;
    std::int32_t timerFlag = 0;
    std::int32_t timerDetail = 0;
    std::int32_t recordId = 0;     // the send-queue store's id of this packet
    std::int32_t state = kWaiting;
    CSmsData timerData;            // scheduled time (timed packets)
    std::string phoneList;         // every number followed by ","
    CSmsData queuedTime;           // local time at packing
    std::int32_t skipFlag = 0;
    std::int32_t packetCount = 0;  // summary records only
    std::int32_t rejected = 0;     // failed without sending
};

}  // namespace Dmg
