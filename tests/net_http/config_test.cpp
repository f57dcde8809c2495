// The interface object choosing its gateway from the login settings: which
// settings it refuses, and that the HTTP gateway it builds uses the
// settings' address, timeout and proxy.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "contracts/net/CEmbeddedGateway.h"
#include "contracts/net/CNetInterfaceMag.h"
#include "contracts/net/HttpGateway.h"
#include "tests/fakes/LogCapture.h"
#include "tests/fakes/ScopedEnv.h"
#include "tests/fakes/TempDir.h"
#include "tests/net_http/ScriptedServer.h"

namespace {

using nethttp::ScriptedServer;
using SMS::NET::CNetConfigData;
using SMS::NET::CNetInterfaceMag;

const std::string kLoginOk = R"({"code":0,"session":"s-1","remainingSms":77})";

CNetConfigData at(const std::string& address, int port) {
    CNetConfigData c;
    c.serverAddress = address, c.serverPort = port;
    return c;
}

class UseConfigTest : public ::testing::Test {
protected:
    ~UseConfigTest() override { net->setGateway(nullptr); }
    int port() const { return std::stoi(server.url().substr(server.url().rfind(':') + 1)); }

    fakes::TempDir dir;  // nothing is written; the test's folder all the same
    ScriptedServer server;
    CNetInterfaceMag* const net = CNetInterfaceMag::instance();
};

TEST_F(UseConfigTest, SettingsThatCannotWorkLeaveTheGatewayAndAreLogged) {
    CNetConfigData badTimeout = at("127.0.0.1", 8780), badProxyPort = badTimeout,
                   badProxyHost = badTimeout;
    badTimeout.timeoutMs = 0;
    badProxyPort.useProxy = true, badProxyPort.proxyAddress = "127.0.0.1", badProxyPort.proxyPort = 0;
    badProxyHost.useProxy = true, badProxyHost.proxyAddress = "proxy host", badProxyHost.proxyPort = 3128;
    const struct {
        const char* name;
        CNetConfigData config;
    } rows[] = {
        {"port 0", at("127.0.0.1", 0)},
        {"port 65536", at("127.0.0.1", 65536)},
        {"blank in the address", at("sms service", 80)},
        {"path in the address", at("host/v2", 80)},
        {"timeout 0", badTimeout},
        {"proxy port 0", badProxyPort},
        {"blank in the proxy", badProxyHost},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto before = net->gateway();
        fakes::LogCapture log;
        EXPECT_EQ(0, net->useConfig(row.config));
        EXPECT_EQ(before, net->gateway());
        EXPECT_EQ(1u, log.texts(2).size());
    }
}

TEST_F(UseConfigTest, AnEmptyAddressKeepsOrPutsBackTheEmbeddedService) {
    const auto embedded = net->gateway();
    ASSERT_NE(nullptr, std::dynamic_pointer_cast<SMS::NET::CEmbeddedGateway>(embedded));
    EXPECT_EQ(1, net->useConfig(CNetConfigData()));
    EXPECT_EQ(embedded, net->gateway()) << "its timed messages and replies are kept";

    ASSERT_EQ(1, net->useConfig(at("127.0.0.1", 1)));
    EXPECT_NE(nullptr, std::dynamic_pointer_cast<SMS::NET::HttpGateway>(net->gateway()));
    EXPECT_EQ(1, net->useConfig(CNetConfigData()));
    EXPECT_NE(nullptr, std::dynamic_pointer_cast<SMS::NET::CEmbeddedGateway>(net->gateway()));
}

TEST_F(UseConfigTest, TheHttpGatewayTakesAddressTimeoutAndProxy) {
    {
        // Only the settings choose a proxy, not the environment.
        const fakes::ScopedEnv proxy("http_proxy", "http://127.0.0.1:1");
        server.script({ScriptedServer::json(200, kLoginOk)});
        ASSERT_EQ(1, net->useConfig(at("127.0.0.1", port())));
        EXPECT_EQ(77, net->login("demo", "secret").remainingSms);
    }
    ASSERT_EQ(1u, server.seen().size());
    EXPECT_EQ("/v1/login", server.seen()[0].path);

    // Through the proxy the request names the service in its target.
    CNetConfigData proxied = at("sms.example", 8780);
    proxied.useProxy = true, proxied.proxyAddress = "127.0.0.1";
    proxied.proxyPort = port();
    server.script({ScriptedServer::json(200, kLoginOk)});
    ASSERT_EQ(1, net->useConfig(proxied));
    EXPECT_EQ(0, net->login("demo", "secret").result);
    ASSERT_EQ(1u, server.seen().size());
    EXPECT_EQ("http://sms.example:8780/v1/login", server.seen()[0].path);

    // An answer slower than the settings' timeout is a failed attempt.
    CNetConfigData hasty = at("127.0.0.1", port());
    hasty.timeoutMs = 100;
    server.script({[](const httplib::Request&, httplib::Response& res) {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        res.set_content(kLoginOk, "application/json");
    }});
    ASSERT_EQ(1, net->useConfig(hasty));
    EXPECT_EQ(SMS::NET::CNetSendResultB::kUnavailable, net->login("demo", "secret").result);
}

}  // namespace
