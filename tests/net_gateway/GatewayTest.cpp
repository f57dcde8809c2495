// The embedded service's rules and records, and the interface object's
// forwarding, swapping and use from several threads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "contracts/net/CEmbeddedGateway.h"
#include "contracts/net/CNetInterfaceMag.h"
#include "contracts/net/CNetSendASend.h"
#include "contracts/net/CNetSendBSend.h"
#include "contracts/net/CNetTimerSendA.h"
#include "contracts/net/CNetTimerSendB.h"

namespace {

using SMS::NET::CEmbeddedGateway;
using SMS::NET::CNetInterfaceMag;
using SMS::NET::CNetSendResultB;
using Phones = std::vector<std::string>;

// A stored packet as packing leaves it: the text and the two kind flags.
template <class Packet>
Dmg::QueueData stored(const Packet& p, int commonMsg, int timerFlag) {
    Dmg::QueueData q;
    q.commonMsg = commonMsg;
    q.timerFlag = timerFlag;
    p.getPacketT(q.packetText);
    return q;
}

Dmg::QueueData packA(const Phones& phones, const std::string& text, int id = 7) {
    return stored(SMS::NET::CNetSendASend{id, phones, {}, {}, {}, text}, 1, 0);
}

Dmg::QueueData packB(const Phones& phones, const Phones& texts) {
    return stored(SMS::NET::CNetSendBSend{8, phones, {}, {}, {}, texts}, 0, 0);
}

Dmg::QueueData packTA(const Phones& phones, const std::string& text, int timerId) {
    return stored(SMS::NET::CNetTimerSendA{timerId, 1, 2026, 12, 24, 8, 30, phones, {}, {}, {}, text},
                  1, 1);
}

struct RuleCase {
    const char* name;
    std::function<void(CEmbeddedGateway&)> rules;
    std::vector<Dmg::QueueData> packets;
    std::vector<int> codes;
    std::string lastError;
};

TEST(EmbeddedGateway, AppliesRulesInOrder) {
    const Dmg::QueueData ok = packA({"13800138000"}, "hi");
    const Dmg::QueueData unicom = packA({"13800138000", "13012345678"}, "hi");
    Dmg::QueueData asB = ok, asTA = ok, garbage;
    asB.commonMsg = 0;
    asTA.timerFlag = 1;
    garbage.commonMsg = 1;
    const std::vector<RuleCase> cases = {
        {"no rules", [](CEmbeddedGateway&) {}, {ok, unicom}, {0, 0}, ""},
        {"every 2nd", [](CEmbeddedGateway& g) { g.setRefuseEveryNth(2); },
         {ok, ok, ok, ok}, {0, 3, 0, 3}, "服务拒绝了该数据包"},
        {"prefix of any recipient", [](CEmbeddedGateway& g) { g.setRefusedPrefix("130"); },
         {ok, unicom}, {0, 4}, "号码被服务拒收"},
        {"outage", [](CEmbeddedGateway& g) { g.setOutage(std::chrono::hours(1)); },
         {ok, packA({}, "x")}, {5, 5}, "服务暂不可用"},
        {"outage ended", [](CEmbeddedGateway& g) {
             g.setOutage(std::chrono::hours(1));
             g.setOutage(std::chrono::milliseconds(0)); }, {ok}, {0}, ""},
        {"garbage text", [](CEmbeddedGateway&) {},
         {garbage}, {2}, "数据包格式错误"},
        {"text of another kind", [](CEmbeddedGateway&) {},
         {asB, asTA}, {2, 2}, "数据包格式错误"},
        {"texts do not match recipients", [](CEmbeddedGateway&) {},
         {packB({"13800138000", "13900139000"}, {"one"})}, {2}, "数据包格式错误"},
        {"no recipients", [](CEmbeddedGateway&) {}, {packA({}, "x")}, {2}, "数据包格式错误"},
    };
    for (const RuleCase& c : cases) {
        SCOPED_TRACE(c.name);
        CEmbeddedGateway gateway;
        c.rules(gateway);
        CNetSendResultB last;
        std::vector<int> codes;
        for (const Dmg::QueueData& packet : c.packets) {
            last = gateway.send(packet);
            codes.push_back(last.code);
        }
        EXPECT_EQ(codes, c.codes);
        EXPECT_EQ(last.errorText, c.lastError);
        EXPECT_EQ(gateway.acceptedPackets() + gateway.refusedPackets(), c.packets.size());
    }
}

TEST(EmbeddedGateway, KeepsAcceptedMessagesPerKind) {
    CEmbeddedGateway gateway;
    gateway.setRefusedPrefix("189");
    ASSERT_EQ(gateway.send(packA({"13800138000", "13900139000"}, "通知", 11)).code, 0);
    ASSERT_EQ(gateway.send(packB({"13100131000"}, {"张三好"})).code, 0);
    ASSERT_EQ(gateway.send(packTA({"13800138000"}, "明早", 41)).code, 0);
    ASSERT_EQ(gateway.send(stored(SMS::NET::CNetTimerSendB{42, 1, 2026, 12, 24, 9, 0,
                              {"13800138000", "13900139000"}, {}, {}, {}, {"a", "b"}}, 0, 1)).code, 0);
    ASSERT_EQ(gateway.send(packA({"18912345678"}, "refused")).code, 4);

    const auto delivered = gateway.delivered();
    ASSERT_EQ(delivered.size(), 3u);
    EXPECT_EQ(delivered[0].packetId, 11);
    EXPECT_EQ(delivered[1].phone + delivered[1].text, "13900139000通知");
    EXPECT_EQ(delivered[2].phone + delivered[2].text, "13100131000张三好");

    const auto scheduled = gateway.scheduled();
    ASSERT_EQ(scheduled.size(), 2u);
    EXPECT_EQ(scheduled[0].timerId, 41);
    EXPECT_EQ(scheduled[0].day * 100 + scheduled[0].minute, 2430);
    EXPECT_EQ(scheduled[0].texts, Phones{"明早"});
    EXPECT_EQ(scheduled[1].timerId, 42);
    EXPECT_EQ(scheduled[1].texts, (Phones{"a", "b"}));
    EXPECT_NE(scheduled[0].key, scheduled[1].key);

    gateway.clear();
    EXPECT_EQ(gateway.deliveredCount() + gateway.scheduledCount() + gateway.acceptedPackets(), 0u);
}

// A gateway that answers every packet with one code and counts the calls.
class CountingGateway : public SMS::NET::IGateway {
public:
    explicit CountingGateway(int code) : m_code(code) {}
    CNetSendResultB send(const Dmg::QueueData&) override { return ++calls, CNetSendResultB{m_code, ""}; }
    SMS::NET::CNetLogResult login(const std::string&, const std::string&) override { return {}; }
    std::atomic<int> calls{0};
    const int m_code;
};

TEST(NetInterfaceMag, ForwardsToTheGatewaySet) {
    CNetInterfaceMag* const mag = CNetInterfaceMag::instance();
    auto counting = std::make_shared<CountingGateway>(9);
    mag->setGateway(counting);
    Dmg::QueueData packet = packA({"13800138000"}, "hi");
    EXPECT_EQ(mag->SendPack(packet).code, 9);
    EXPECT_EQ(counting->calls.load(), 1);

    mag->setGateway(nullptr);
    auto embedded = std::dynamic_pointer_cast<CEmbeddedGateway>(mag->gateway());
    ASSERT_NE(embedded, nullptr);
    EXPECT_EQ(mag->SendPack(packet).code, 0);
    EXPECT_EQ(embedded->deliveredCount(), 1u);
    SMS::NET::CNetLogResult terms;
    terms.packSize = 5;
    embedded->setLoginResult(terms);
    EXPECT_EQ(mag->login("li", "pw").packSize, 5);
    EXPECT_EQ(counting->calls.load(), 1);
}

TEST(NetInterfaceMag, SendsFromTwoThreadsWhileRulesChange) {
    auto gateway = std::make_shared<CEmbeddedGateway>();
    CNetInterfaceMag* const mag = CNetInterfaceMag::instance();
    mag->setGateway(gateway);
    constexpr int kPerThread = 300;
    std::atomic<int> accepted{0};
    std::atomic<bool> sending{true};

    auto sender = [&](const std::string& phone) {
        for (int i = 0; i < kPerThread; ++i) {
            Dmg::QueueData packet = packA({phone, "13800138000"}, "hi", i);
            accepted += mag->SendPack(packet).accepted() ? 1 : 0;
        }
    };
    std::thread configurer([&] {
        for (int i = 0; sending; ++i) {
            gateway->setRefuseEveryNth(i % 4);
            gateway->setRefusedPrefix(i % 2 ? "139" : "");
            gateway->setLatency(std::chrono::milliseconds(i % 2));
            (void)gateway->delivered();
            (void)mag->gateway();
        }
    });
    std::thread a(sender, "13900139000");
    std::thread b(sender, "13100131000");
    a.join();
    b.join();
    sending = false;
    configurer.join();

    EXPECT_EQ(gateway->acceptedPackets() + gateway->refusedPackets(), 2u * kPerThread);
    EXPECT_EQ(gateway->acceptedPackets(), static_cast<std::size_t>(accepted.load()));
    EXPECT_EQ(gateway->deliveredCount(), 2u * accepted.load());
    mag->setGateway(nullptr);
}

}  // namespace
