// A date and time of the data library: year, month, day, hour, minute.
// A time that is not set holds -1 in all five fields.
#pragma once

#include <cstdint>
#include <string>

#include "contracts/export.h"

namespace Dmg {

class DMG_API CSmsData {
public:
    CSmsData() = default;
    CSmsData(std::int32_t year, std::int32_t month, std::int32_t day, std::int32_t hour,
             std::int32_t minute);

    // True when every field is -1.
    bool isUnset() const;
    // "2026-12-06 08:05"; empty when unset.
    std::string getString() const;
    // "2026-12-06 08:05:00"; empty when unset.
    std::string getFullString() const;

    bool operator==(const CSmsData& o) const;
    bool operator!=(const CSmsData& o) const { return !(*this == o); }
    // Chronological order, field by field.
    bool operator<(const CSmsData& o) const;

    std::int32_t year = -1;
    std::int32_t month = -1;
    std::int32_t day = -1;
    std::int32_t hour = -1;
    std::int32_t minute = -1;
};

}  // namespace Dmg
