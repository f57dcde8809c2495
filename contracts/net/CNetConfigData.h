// Where and how the network library reaches the SMS service, as chosen at
// login; handed back with the login result.
#pragma once

#include <cstdint>
#include <string>

#include "contracts/export.h"

namespace SMS::NET {

class NET_API CNetConfigData {
public:
    std::string serverAddress;        // host name or address of the service
    std::int32_t serverPort = 0;
    std::int32_t timeoutMs = 30000;   // per request
    bool useProxy = false;
    std::string proxyAddress;
    std::int32_t proxyPort = 0;
};

}  // namespace SMS::NET
