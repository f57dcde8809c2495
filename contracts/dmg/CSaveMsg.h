// A saved message text with the time it was saved.
#pragma once

#include <cstdint>
#include <string>

#include "contracts/dmg/CSmsData.h"
#include "contracts/export.h"

namespace Dmg {

class DMG_API CSaveMsg {
public:
    std::int32_t number = 0;  // record number
    std::string text;
    CSmsData time;  // local time of saving
};

}  // namespace Dmg
