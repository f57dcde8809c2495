#include "contracts/dmg/CSmsData.h"

#include <cstdio>
#include <tuple>

namespace Dmg {

CSmsData::CSmsData(std::int32_t y, std::int32_t mo, std::int32_t d, std::int32_t h, std::int32_t mi)
    : year(y), month(mo), day(d), hour(h), minute(mi) {}

bool CSmsData::isUnset() const {
    return year == -1 && month == -1 && day == -1 && hour == -1 && minute == -1;
}

std::string CSmsData::getString() const {
    if (isUnset()) return {};
    char buf[80];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d", static_cast<int>(year),
                  static_cast<int>(month), static_cast<int>(day), static_cast<int>(hour),
                  static_cast<int>(minute));
    return buf;
}

std::string CSmsData::getFullString() const {
    if (isUnset()) return {};
    return getString() + ":00";
}

bool CSmsData::operator==(const CSmsData& o) const {
    return std::tie(year, month, day, hour, minute) ==
           std::tie(o.year, o.month, o.day, o.hour, o.minute);
}

bool CSmsData::operator<(const CSmsData& o) const {
    return std::tie(year, month, day, hour, minute) <
           std::tie(o.year, o.month, o.day, o.hour, o.minute);
}

}  // namespace Dmg
