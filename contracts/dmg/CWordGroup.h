// One group of the phrase library's group tree. A root group has parent 0.
#pragma once

#include <cstdint>
#include <string>

#include "contracts/export.h"

namespace Dmg {

class DMG_API CWordGroup {
public:
    std::int32_t id = 0;
    std::int32_t parentId = 0;  // 0 for a root group
    std::string name;
};

}  // namespace Dmg
