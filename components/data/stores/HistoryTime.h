// Local clock readings for history rows, at the minute resolution of CSmsData.
#pragma once

#include "contracts/dmg/CSmsData.h"

namespace Dmg::historytime {

// The local time now.
CSmsData now();

// The same clock time `days` calendar days earlier (Gregorian calendar; no
// time-zone rules involved, so a daylight-saving change shifts nothing).
CSmsData daysBefore(const CSmsData& t, int days);

}  // namespace Dmg::historytime
