// Stores the packets of one send in the send-queue database SQu.dll and gives
// each packet its record id. Used by the send pipeline only.
#pragma once

#include <string>
#include <vector>

#include "contracts/dmg/QueueData.h"

namespace SMS {

// Stores `packets` under `userDir` + "/SQu.dll" and sets their record ids.
// true on success. On failure (store missing, file cannot be opened, write
// refused, fewer ids than packets) nothing stays in the queue, the record
// ids are untouched, the cause is logged and false is returned.
bool storeSendQueue(const std::string& userDir, std::vector<Dmg::QueueData>& packets);

}  // namespace SMS
