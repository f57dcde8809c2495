// The members of the login result by their names on the wire
// (docs/protocol.md): one table for the gateway that reads them and the
// simulator that writes them, so the two cannot disagree.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "contracts/net/CNetLogResult.h"

namespace SMS::NET::http {

inline constexpr std::pair<const char*, std::int32_t CNetLogResult::*> kLoginNumbers[] = {
    {"result", &CNetLogResult::result},
    {"accountType", &CNetLogResult::accountType},
    {"remainingSms", &CNetLogResult::remainingSms},
    {"mobileCharsPerSms", &CNetLogResult::mobileCharsPerSms},
    {"unicomCharsPerSms", &CNetLogResult::unicomCharsPerSms},
    {"telecomCharsPerSms", &CNetLogResult::telecomCharsPerSms},
    {"phsCharsPerSms", &CNetLogResult::phsCharsPerSms},
    {"packetPauseMs", &CNetLogResult::packetPauseMs},
    {"maxSendCount", &CNetLogResult::maxSendCount},
    {"maxTimedSendCount", &CNetLogResult::maxTimedSendCount},
    {"packSize", &CNetLogResult::packSize},
    {"firstPackSize", &CNetLogResult::firstPackSize},
    {"timedPackSize", &CNetLogResult::timedPackSize},
    {"packetIdSalt", &CNetLogResult::packetIdSalt},
    {"filterContent", &CNetLogResult::filterContent},
};

inline constexpr std::pair<const char*, std::string CNetLogResult::*> kLoginTexts[] = {
    {"message", &CNetLogResult::message},
    {"userName", &CNetLogResult::userName},
};

}  // namespace SMS::NET::http
