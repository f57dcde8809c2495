// The text form of a record's time: numbers joined by '-'.
#pragma once

#include <string>

#include "contracts/dmg/CSmsData.h"

namespace Dmg {

// "2011-3-7-8-5": all five parts; empty when unset.
std::string timeText(const CSmsData& time);

// Up to five numbers split at '-', '/', ':' or blanks, converted like atoi;
// missing ones are 0, a text without any piece is an unset time.
CSmsData parseTimeText(const std::string& text);

}  // namespace Dmg
