// The service's answer to one request of the network library: a code, 0 when
// the service took the request, and the service's text for a refusal.
#pragma once

#include <string>

#include "contracts/export.h"

namespace SMS::NET {

class NET_API CNetSendResultB {
public:
    // Codes the embedded gateway gives; other gateways may add their own.
    enum Code : int {
        kAccepted = 0,
        kMalformed = 2,      // the packet text could not be read
        kRefusedByRule = 3,  // the service turned the packet down
        kRefusedNumber = 4,  // a recipient's number is not served
        kUnavailable = 5,    // the service is out of order
        kUnknownTimer = 6,   // no such scheduled message or group
        // A gateway over a network could not learn whether the service took
        // the packet (an answer lost or unreadable): send it again as it is,
        // the service takes a packet once.
        kOutcomeUnknown = 10,
    };

    int code = kAccepted;
    std::string errorText;   // GBK; empty when accepted
    std::string serviceKey;  // an accepted timed packet: the service's key of it

    bool accepted() const { return code == kAccepted; }
};

}  // namespace SMS::NET
