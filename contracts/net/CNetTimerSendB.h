// One scheduled packet with a text of its own for each recipient (personalised).
// The logic library fills the members, in recipient order, and stores the
// text of getPacketT in the send queue; getParseT reads such a text back.
#pragma once

#include <string>
#include <vector>

#include "contracts/export.h"

namespace SMS::NET {

class NET_API CNetTimerSendB {
public:
    int timerId = 0;
    int timerDetail = 0;
    int scheduledYear = 0;
    int scheduledMonth = 0;
    int scheduledDay = 0;
    int scheduledHour = 0;
    int scheduledMinute = 0;
    std::vector<std::string> phones;
    std::vector<int> carrierCodes;    // 1 YD, 2 LT, 3 DX, 4 XLT; may be shorter than phones
    std::vector<int> leadingFlags;    // 0 or 1 per recipient
    std::vector<std::string> encodedNames;  // Base64 contact names, empty when none
    std::vector<std::string> texts;   // one per recipient

    // Replaces `text` with the packet's text. Returns 1.
    int getPacketT(std::string& text) const;
    // Fills the members from a text of getPacketT of this class. Returns 0, and
    // leaves the members as they were, for any other or malformed text.
    int getParseT(const std::string& text);
};

}  // namespace SMS::NET
