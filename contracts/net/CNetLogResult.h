// The login result the network library hands the caller: the service's
// terms for this user, passed on to the send settings.
#pragma once

#include <cstdint>
#include <string>

#include "contracts/export.h"

namespace SMS::NET {

class NET_API CNetLogResult {
public:
    std::int32_t result = 0;               // 0 = logged in
    std::string message;                   // the service's text for the result
    std::int32_t mobileCharsPerSms = 70;   // characters per segment, China Mobile
    std::int32_t unicomCharsPerSms = 70;   // China Unicom
    std::int32_t telecomCharsPerSms = 70;  // China Telecom
    std::int32_t phsCharsPerSms = 70;      // PHS
    std::int32_t remainingSms = 0;         // balance in segments
    std::string userName;                  // the account's display name
    std::int32_t accountType = 0;
    std::int32_t packetPauseMs = 300;      // pause after each packet
    std::int32_t maxSendCount = 100000;    // segments one immediate send may cost
    std::int32_t maxTimedSendCount = 100000;  // segments one timed send may cost
    std::int32_t packSize = 70;            // recipients per packet
    std::int32_t firstPackSize = 10;       // recipients per packet in the leading run
    std::int32_t timedPackSize = 300;      // the service's timed packet size
    std::int32_t packetIdSalt = 0;         // mixed into packet ids
    std::int32_t filterContent = 1;        // non-zero: check texts for reject words
};

}  // namespace SMS::NET
