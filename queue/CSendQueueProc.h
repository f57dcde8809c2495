// The procedure of the sending thread: takes packet after packet from the
// in-memory queue, hands each to the network library, records the outcome in
// the send-queue database and reports it to the caller.
#pragma once

#include <atomic>

#include "contracts/export.h"

namespace SMS {

// Returns when the in-memory queue is empty, or, when `running` is given,
// once it reads false between two packets (the packets not yet sent stay
// queued and waiting in the database).
SMS_API void sendQueueProc(const std::atomic<bool>* running);

}  // namespace SMS
