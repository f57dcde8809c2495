// Words the commands share: times typed on the command line and the carrier
// class of a number.
#pragma once

#include <string>

#include "contracts/dmg/CSmsData.h"

namespace smsctl {

// What a bare date "YYYY-MM-DD" means where a time is asked for.
enum class BareDate { kRefused, kStartOfDay, kEndOfDay };

// "YYYY-MM-DD HH:MM" (or a bare date as `bare` says) as a time; an empty text
// is an unset time (an open end). Throws UsageError naming `what`.
Dmg::CSmsData parseTime(const std::string& text, const std::string& what, BareDate bare);

// "YD", "LT", "DX", "XLT", or "" for a number (GBK) of no class; asked in the
// library's order, the first true answer wins.
std::string carrierCode(const std::string& number);
// The code as people read it: "China Mobile (YD)"; "" is "not a sendable number".
std::string carrierName(const std::string& code);

}  // namespace smsctl
