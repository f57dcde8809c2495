// The network library's interface object: the one door through which the
// logic library reaches the SMS service. It forwards to a pluggable gateway,
// by default the embedded simulated service. Safe to use from the sending
// thread and the caller's thread at once.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "contracts/dmg/QueueData.h"
#include "contracts/export.h"
#include "contracts/net/CNetConfigData.h"
#include "contracts/net/CNetFriendInfo.h"
#include "contracts/net/CNetLogResult.h"
#include "contracts/net/CNetSendResultB.h"
#include "contracts/net/IGateway.h"

namespace SMS::NET {

class NET_API CNetInterfaceMag {
public:
    // The process-wide object, created on first use and never destroyed.
    static CNetInterfaceMag* instance();

    CNetInterfaceMag(const CNetInterfaceMag&) = delete;
    CNetInterfaceMag& operator=(const CNetInterfaceMag&) = delete;

    // Sends one stored packet; code 0 when the service took it.
    CNetSendResultB SendPack(Dmg::QueueData& packet);
    // Logs the user in at the current gateway and returns its terms.
    CNetLogResult login(const std::string& user, const std::string& password);
    // Uploads one contact; the service gives no answer.
    void sendFriendInfo(CNetFriendInfo& info);
    // Cancels the timed messages of one group, their service keys joined by
    // ","; code 0 when the service dropped them.
    CNetSendResultB DelTimerMsg(const int& group, const std::string& keys);

    // Replaces the gateway; a null pointer puts a fresh embedded service back.
    // Requests already under way finish on the gateway they started on.
    void setGateway(std::shared_ptr<IGateway> gateway);
    std::shared_ptr<IGateway> gateway() const;
    // Chooses the gateway from the login settings. An empty address keeps
    // the embedded service (a fresh one when another gateway is in use);
    // otherwise an HttpGateway on http://address:port with the settings'
    // request timeout and proxy. 1; 0 (logged, the gateway unchanged) for
    // settings that cannot work: a port outside 1..65535, an address that is
    // not a host name or IP address, a timeout that is not positive.
    int useConfig(const CNetConfigData& config);

private:
    CNetInterfaceMag();

    mutable std::mutex m_mutex;
    std::shared_ptr<IGateway> m_gateway;
};

}  // namespace SMS::NET
