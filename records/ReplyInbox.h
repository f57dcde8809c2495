// Brings the replies phones sent into the main store ("database"), where
// CReplyMsgsMag::loadAll finds them: from the embedded gateway, or from a
// service over HTTP.
#pragma once

#include <cstdint>

#include "contracts/export.h"
#include "contracts/net/CEmbeddedGateway.h"
#include "contracts/net/HttpGateway.h"

namespace SMS::records {

// Takes the gateway's waiting replies and stores each, in arrival order.
// The number stored; replies the store refused (or all, when no store is
// registered) go back to the gateway, so a later call stores them.
SMS_API int storeReplies(NET::CEmbeddedGateway& gateway);

// Fetches the service's waiting replies, oldest first, stores each and
// acknowledges up to the last one stored. `lastStored` is the service's id of
// the last reply stored from it (0: none), which the caller keeps between
// calls: the service lists replies in id order, so a reply at or below it was
// stored already and is only acknowledged again (its acknowledgement was
// lost). It is advanced as replies are stored. A reply the store refuses
// stops the call; it and the rest stay at the service for a later call. The
// number stored; -1 (logged) when the replies could not be fetched.
SMS_API int storeReplies(NET::HttpGateway& gateway, std::int64_t& lastStored);

}  // namespace SMS::records
