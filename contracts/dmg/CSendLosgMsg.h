// One entry of the send log: who sent what, when.
#pragma once

#include <cstdint>
#include <string>

#include "contracts/dmg/CSmsData.h"
#include "contracts/export.h"

namespace Dmg {

class DMG_API CSendLosgMsg {
public:
    std::int32_t number = 0;  // key of the entry
    CSmsData time;            // local time of the send
    std::string firstText;    // the send-log text
    std::string secondText;   // sender id
    std::string thirdText;    // sender extra
};

}  // namespace Dmg
