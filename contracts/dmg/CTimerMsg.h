// One timed message the service accepted: written by the log mover when it
// moves the packet into the history, listed and deleted through the main store.
#pragma once

#include <cstdint>
#include <string>

#include "contracts/dmg/CSmsData.h"
#include "contracts/export.h"

namespace Dmg {

class DMG_API CTimerMsg {
public:
    std::int32_t recordId = 0;  // the main store's number of this record
    std::int32_t group = 0;     // the packet's timer id; the service groups by it
    std::string serviceKey;     // the service's key of the scheduled message
    std::string content;        // the packet's display text
    std::string phoneList;      // every number followed by ","
    std::int32_t recipientCount = 0;
    std::int32_t segmentCount = 0;
    std::int32_t timerDetail = 0;
    CSmsData timerTime;  // when the service sends it
};

}  // namespace Dmg
