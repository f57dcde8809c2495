// A reply received from a phone: who sent it, what, and when it arrived.
#pragma once

#include <cstdint>
#include <string>

#include "contracts/dmg/CSmsData.h"
#include "contracts/export.h"

namespace Dmg {

class DMG_API ReplyData {
public:
    std::int32_t number = 0;  // record number
    std::string text;         // the reply's text
    std::string extra;        // the service's extension the reply came in on (may be empty)
    std::string phone;        // the sender's number
    CSmsData time;            // local time of arrival
};

}  // namespace Dmg
