// Brings the replies the embedded gateway received into the main store
// ("database"), where CReplyMsgsMag::loadAll finds them.
#pragma once

#include "contracts/export.h"
#include "contracts/net/CEmbeddedGateway.h"

namespace SMS::records {

// Takes the gateway's waiting replies and stores each, in arrival order.
// The number stored; replies the store refused (or all, when no store is
// registered) go back to the gateway, so a later call stores them.
SMS_API int storeReplies(NET::CEmbeddedGateway& gateway);

}  // namespace SMS::records
