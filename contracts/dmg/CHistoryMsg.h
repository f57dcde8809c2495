// One row of the sent history.
#pragma once

#include <cstdint>
#include <string>

#include "contracts/dmg/CSmsData.h"
#include "contracts/export.h"

namespace Dmg {

class DMG_API CHistoryMsg {
public:
    std::int32_t number = 0;  // key of the row in the history store
    CSmsData time;            // when the packet was logged
    std::string firstText;    // the packet's display text
    bool success = false;     // the service accepted the packet
    std::string secondText;   // the packet's phone list
};

}  // namespace Dmg
