// What the interface object needs of an SMS service: send one stored packet,
// log a user in, take an uploaded contact, cancel timed messages. The embedded
// simulated service is one such gateway; a real network gateway plugs in
// through CNetInterfaceMag::setGateway.
#pragma once

#include <string>

#include "contracts/dmg/QueueData.h"
#include "contracts/export.h"
#include "contracts/net/CNetFriendInfo.h"
#include "contracts/net/CNetLogResult.h"
#include "contracts/net/CNetSendResultB.h"

namespace SMS::NET {

class NET_API IGateway {
public:
    IGateway() = default;
    IGateway(const IGateway&) = delete;
    IGateway& operator=(const IGateway&) = delete;
    virtual ~IGateway();

    // Must be safe to call from several threads at once.
    virtual CNetSendResultB send(const Dmg::QueueData& packet) = 0;
    virtual CNetLogResult login(const std::string& user, const std::string& password) = 0;
    // Uploads one contact of the user's address book.
    virtual void sendFriendInfo(const CNetFriendInfo& info) = 0;
    // Cancels the scheduled messages of `group` named by `keys` (joined by ",").
    virtual CNetSendResultB DelTimerMsg(int group, const std::string& keys) = 0;
};

}  // namespace SMS::NET
