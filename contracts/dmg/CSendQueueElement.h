// One recipient of one send, as the composition object builds it.
#pragma once

#include <cstdint>
#include <string>

#include "contracts/dmg/CSmsData.h"
#include "contracts/export.h"

namespace Dmg {

class DMG_API CSendQueueElement {
public:
    std::int32_t checkState = 0;  // 0 untested, 1 clean, -1 rejected by the word test
    std::string phone;
    std::string message;          // final text, signature and personal values included
    std::int32_t timerFlag = 0;   // 1 = timed send
    CSmsData timerData;           // scheduled time
    std::int32_t timerDetail = 0;
    bool leading = false;         // sized into the first, small packets
    std::string encodedName;      // Base64 of the contact's name, or empty
    std::string senderId;
    std::string senderExtra;
    bool commonMsg = false;       // every recipient of the send has the same text
};

}  // namespace Dmg
