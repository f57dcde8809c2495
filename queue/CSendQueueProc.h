// The procedure of the sending thread: takes packet after packet from the
// in-memory queue, hands each to the network library, records the outcome in
// the send-queue database and reports it to the caller.
#pragma once

#include "contracts/export.h"
#include "queue/RunControl.h"

namespace SMS {

// Returns when the in-memory queue is empty, or once `control` says the
// thread was stopped (the packets not yet sent stay queued, and waiting in
// the database). Without a control it runs until the queue is empty.
SMS_API void sendQueueProc(RunControl* control);

}  // namespace SMS
