#include "components/data/stores/HistoryTime.h"

#include <cstdint>

#include "contracts/platform/Time.h"

namespace Dmg::historytime {
namespace {

// Days since 1970-01-01 of a Gregorian date, and back (H. Hinnant's
// algorithms), valid far beyond any year a clock reports.
std::int64_t daysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(std::int64_t z, CSmsData& t) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t m = mp + (mp < 10 ? 3 : -9);
    t.year = static_cast<std::int32_t>(yoe + era * 400 + (m <= 2 ? 1 : 0));
    t.month = static_cast<std::int32_t>(m);
    t.day = static_cast<std::int32_t>(d);
}

}  // namespace

CSmsData now() {
    const auto local = Platform::getLocalTime();
    return CSmsData(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute);
}

CSmsData daysBefore(const CSmsData& t, int days) {
    CSmsData earlier = t;
    civilFromDays(daysFromCivil(t.year, t.month, t.day) - days, earlier);
    return earlier;
}

}  // namespace Dmg::historytime
