// The interface object: one process-wide door to the current gateway.
#include "contracts/net/CNetInterfaceMag.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <utility>

#include "contracts/base/CLog.h"
#include "contracts/net/CEmbeddedGateway.h"
#include "contracts/net/HttpGateway.h"

namespace SMS::NET {
namespace {

// A host name, an IPv4 address or a bracketed IPv6 address: nothing that
// would change the meaning of the URL it goes into.
bool usableHost(const std::string& host) {
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
        return std::all_of(host.begin() + 1, host.end() - 1, [](unsigned char c) {
            return std::isxdigit(c) != 0 || c == ':' || c == '.';
        });
    }
    return !host.empty() && std::all_of(host.begin(), host.end(), [](unsigned char c) {
        return std::isalnum(c) != 0 || c == '.' || c == '-' || c == '_';
    });
}

bool usablePort(std::int32_t port) { return port >= 1 && port <= 65535; }

std::string urlOf(const std::string& host, std::int32_t port) {
    return "http://" + host + ":" + std::to_string(port);
}

// Why the settings cannot work; empty when they can.
std::string flawOf(const CNetConfigData& c) {
    if (!usableHost(c.serverAddress)) return "服务地址无效：" + c.serverAddress;
    if (!usablePort(c.serverPort)) return "服务端口超出1..65535：" + std::to_string(c.serverPort);
    if (c.timeoutMs <= 0) return "请求超时须为正数：" + std::to_string(c.timeoutMs);
    if (c.useProxy && !usableHost(c.proxyAddress)) return "代理地址无效：" + c.proxyAddress;
    if (c.useProxy && !usablePort(c.proxyPort)) return "代理端口超出1..65535：" + std::to_string(c.proxyPort);
    return {};
}

}  // namespace

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

int CNetInterfaceMag::useConfig(const CNetConfigData& config) {
    if (config.serverAddress.empty()) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (dynamic_cast<CEmbeddedGateway*>(m_gateway.get()) == nullptr) {
            m_gateway = std::make_shared<CEmbeddedGateway>();
        }
        return 1;
    }
    const std::string flaw = flawOf(config);
    if (!flaw.empty()) {
        Base::CLog::getSingleton().writeMessage("网关设置未采用，" + flaw, 2);
        return 0;
    }
    HttpGateway::Options options;
    options.baseUrl = urlOf(config.serverAddress, config.serverPort);
    options.requestTimeout = std::chrono::milliseconds(config.timeoutMs);
    if (config.useProxy) options.proxy = urlOf(config.proxyAddress, config.proxyPort);
    setGateway(std::make_shared<HttpGateway>(std::move(options)));
    return 1;
}

std::shared_ptr<IGateway> CNetInterfaceMag::gateway() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_gateway;
}

}  // namespace SMS::NET
