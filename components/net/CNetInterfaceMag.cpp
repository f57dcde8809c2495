// The interface object: one process-wide door to the current gateway.
#include "contracts/net/CNetInterfaceMag.h"

#include <utility>

#include "contracts/net/CEmbeddedGateway.h"

namespace SMS::NET {

IGateway::~IGateway() = default;

CNetInterfaceMag::CNetInterfaceMag() : m_gateway(std::make_shared<CEmbeddedGateway>()) {}

CNetInterfaceMag* CNetInterfaceMag::instance() {
    // Never destroyed: the sending thread may still use it while statics go away.
    static CNetInterfaceMag* const ms_pInstance = new CNetInterfaceMag();
    return ms_pInstance;
}

CNetSendResultB CNetInterfaceMag::SendPack(Dmg::QueueData& packet) {
    // The lock only guards the pointer; the request itself runs without it so
    // a slow service never blocks the caller's thread from reconfiguring.
    return gateway()->send(packet);
}

CNetLogResult CNetInterfaceMag::login(const std::string& user, const std::string& password) {
    return gateway()->login(user, password);
}

void CNetInterfaceMag::sendFriendInfo(CNetFriendInfo& info) { gateway()->sendFriendInfo(info); }

CNetSendResultB CNetInterfaceMag::DelTimerMsg(const int& group, const std::string& keys) {
    return gateway()->DelTimerMsg(group, keys);
}

void CNetInterfaceMag::setGateway(std::shared_ptr<IGateway> gateway) {
    if (!gateway) {
        gateway = std::make_shared<CEmbeddedGateway>();
    }
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_gateway = std::move(gateway);
}

std::shared_ptr<IGateway> CNetInterfaceMag::gateway() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_gateway;
}

}  // namespace SMS::NET
