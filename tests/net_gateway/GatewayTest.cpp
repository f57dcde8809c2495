// The embedded service's rules and records, and the interface object's
// forwarding, swapping and use from several threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
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
#include "tests/fakes/LogCapture.h"
#include "tests/fakes/TempDir.h"

namespace {

using SMS::NET::CEmbeddedGateway;
using SMS::NET::CNetInterfaceMag;
using Phones = std::vector<std::string>;

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A stored packet as packing leaves it: the text and the two kind flags.
template <class Packet>
Dmg::QueueData stored(const Packet& p, int commonMsg, int timerFlag) {
    Dmg::QueueData q;
    q.commonMsg = commonMsg, q.timerFlag = timerFlag;
    p.getPacketT(q.packetText);
    return q;
}

Dmg::QueueData packA(const Phones& phones, const std::string& text, int id = 7) {
    return stored(SMS::NET::CNetSendASend{id, phones, {}, {}, {}, text}, 1, 0);
}

Dmg::QueueData packB(const Phones& phones, const Phones& texts) {
    return stored(SMS::NET::CNetSendBSend{8, phones, {}, {}, {}, texts}, 0, 0);
}

// Outage first, then malformed packets, then the every-n-th count (which
// restarts when set), then the refused prefix.
TEST(EmbeddedGateway, AppliesRulesInOrder) {
    const Dmg::QueueData ok = packA({"13800138000"}, "hi"), nobody = packA({}, "x");
    const Dmg::QueueData unicom = packA({"13800138000", "13012345678"}, "hi");
    Dmg::QueueData asB = ok, asTA = ok, garbage;
    asB.commonMsg = 0, asTA.timerFlag = 1, garbage.commonMsg = 1;
    const struct {
        int everyNth;
        const char* prefix;
        int outage;  // 1: an outage, -1: one that was ended
        std::vector<Dmg::QueueData> packets;
        std::vector<int> codes;
        std::string lastError;
    } cases[] = {
        {0, "", 0, {ok, unicom}, {0, 0}, ""},
        {2, "", 0, {ok, ok, ok, ok}, {0, 3, 0, 3}, "服务拒绝了该数据包"},
        {0, "130", 0, {ok, unicom}, {0, 4}, "号码被服务拒收"},
        {0, "", 1, {ok, nobody}, {5, 5}, "服务暂不可用"},
        {0, "", -1, {ok}, {0}, ""},
        // Garbage, a text of another kind, texts not matching the recipients, nobody.
        {0, "", 0, {garbage, asB, asTA, packB({"13800138000", "13900139000"}, {"one"}), nobody},
         {2, 2, 2, 2, 2}, "数据包格式错误"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lastError);
        CEmbeddedGateway gateway;
        gateway.send(ok);  // counted before the rules are set
        gateway.setRefuseEveryNth(c.everyNth);
        gateway.setRefusedPrefix(c.prefix);
        if (c.outage != 0) gateway.setOutage(std::chrono::hours(1));
        if (c.outage < 0) gateway.setOutage(std::chrono::milliseconds(0));
        std::vector<int> codes;
        std::string lastError;
        for (const Dmg::QueueData& packet : c.packets) {
            const SMS::NET::CNetSendResultB result = gateway.send(packet);
            codes.push_back(result.code), lastError = result.errorText;
        }
        EXPECT_EQ(codes, c.codes);
        EXPECT_EQ(lastError, c.lastError);
        // Accepted: the first packet and those answered 0.
        const std::size_t accepted = 1 + std::count(codes.begin(), codes.end(), 0);
        EXPECT_EQ(gateway.acceptedPackets(), accepted);
        EXPECT_EQ(gateway.refusedPackets(), c.packets.size() + 1 - accepted);
    }
}

TEST(EmbeddedGateway, KeepsAcceptedMessagesPerKind) {
    using SMS::NET::CNetTimerSendA, SMS::NET::CNetTimerSendB;
    CEmbeddedGateway gateway;
    gateway.setRefusedPrefix("189");
    ASSERT_EQ(gateway.send(packA({"13800138000", "13900139000"}, "通知", 11)).code, 0);
    ASSERT_EQ(gateway.send(packB({"13118900000"}, {"张三好"})).code, 0);  // 189 not in front
    ASSERT_EQ(gateway.send(stored(CNetTimerSendA{41, 1, 2026, 12, 24, 8, 30, {"13800138000"}, {},
                                                 {}, {}, "明早"}, 1, 1)).code, 0);
    ASSERT_EQ(gateway.send(stored(CNetTimerSendB{42, 1, 2026, 12, 24, 9, 0,
                                                 {"13800138000", "13900139000"}, {}, {}, {},
                                                 {"a", "b"}}, 0, 1)).code, 0);
    ASSERT_EQ(gateway.send(packA({"18912345678"}, "refused")).code, 4);

    std::string seen;
    for (const auto& d : gateway.delivered()) {
        seen += std::to_string(d.packetId) + ":" + d.phone + ":" + d.text + ";";
    }
    const auto scheduled = gateway.scheduled();
    for (const auto& t : scheduled) {
        seen += std::to_string(t.timerId) + "@" + std::to_string(t.day) + "," +
                std::to_string(t.hour) + ":" + std::to_string(t.minute);
        for (const auto& text : t.texts) seen += ":" + text;
        seen += ";";
    }
    EXPECT_EQ(seen, "11:13800138000:通知;11:13900139000:通知;8:13118900000:张三好;"
                    "41@24,8:30:明早;42@24,9:0:a:b;");
    ASSERT_EQ(scheduled.size(), 2u);
    EXPECT_NE(scheduled[0].key, scheduled[1].key);
    gateway.clear();
    EXPECT_EQ(gateway.deliveredCount() + gateway.scheduledCount() + gateway.acceptedPackets(), 0u);
}

Dmg::QueueData timed(int timerId, const Phones& phones, const Phones& texts) {
    return stored(SMS::NET::CNetTimerSendB{timerId, 1, 2026, 12, 24, 9, 0, phones, {}, {}, {}, texts},
                  0, 1);
}

// Key, timer id, time and each recipient's text of every scheduled packet.
std::string schedule(const CEmbeddedGateway& gateway) {
    std::string out;
    for (const auto& p : gateway.scheduled()) {
        out += p.key + "/" + std::to_string(p.timerId) + "/" + std::to_string(p.day) + " " +
               std::to_string(p.hour);
        for (std::size_t i = 0; i < p.phones.size(); ++i) out += ":" + p.phones[i] + "=" + p.texts[i];
        out += ";";
    }
    return out;
}

// Scheduled packets and the key counter outlive the gateway through its state
// file; a cancellation is kept too, and a damaged file is refused, not half read.
TEST(EmbeddedGateway, StateFileKeepsScheduledPacketsAcrossRuns) {
    const fakes::TempDir dir;
    const std::string path = dir.file("state.txt");
    {
        CEmbeddedGateway first;
        ASSERT_TRUE(first.setStateFile(path));  // missing: an empty service
        first.send(timed(5, {"13800138000", "13900139000"}, {"明早 九点\n", ""}));
        first.send(timed(6, {"13800138000"}, {"b"}));
        first.send(timed(7, {"13800138000"}, {"c"}));
        ASSERT_EQ(first.DelTimerMsg(6, "TM2").code, 0);
    }
    CEmbeddedGateway second;
    ASSERT_TRUE(second.setStateFile(path));
    EXPECT_EQ(schedule(second),
              "TM1/5/24 9:13800138000=明早 九点\n:13900139000=;TM3/7/24 9:13800138000=c;");
    second.send(timed(8, {"13800138000"}, {"d"}));  // the counter goes on: no second TM3
    EXPECT_EQ(second.scheduled().back().key, "TM4");

    const std::string good = slurp(path);
    const std::string damaged[] = {
        "", "garbage\n", good.substr(0, good.size() / 2), good.substr(0, good.rfind("end")),
        good.substr(0, good.rfind("end")) + "end 9\n", good + "packet\n",
        // A key the counter would repeat, a repeated key, text that is not hex.
        "embedded-gateway-state 1\nnext 2\npacket 544d33 1 1 1 1 1 1 1 1\nto 31 32\nend 1\n",
        "embedded-gateway-state 1\nnext 9\npacket 6b 1 1 1 1 1 1 1 1\nto 31 32\n"
        "packet 6b 1 1 1 1 1 1 1 1\nto 31 32\nend 2\n",
        "embedded-gateway-state 1\nnext 9\npacket 6b 1 1 1 1 1 1 1 1\nto 3 32\nend 1\n",
    };
    for (const std::string& text : damaged) {
        SCOPED_TRACE(text);
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
        const fakes::LogCapture log;
        CEmbeddedGateway gateway;
        EXPECT_FALSE(gateway.setStateFile(path));
        EXPECT_EQ(gateway.scheduledCount(), 0u);
        EXPECT_EQ(log.texts().size(), 1u);
    }
}

// For ThreadSanitizer: two senders while the caller's thread changes rules.
// Afterwards a null gateway gives a fresh embedded service, which logs in.
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
    std::thread a(sender, "13900139000"), b(sender, "13100131000");
    a.join(), b.join();
    sending = false;
    configurer.join();
    EXPECT_EQ(gateway->acceptedPackets() + gateway->refusedPackets(), 2u * kPerThread);
    EXPECT_EQ(gateway->acceptedPackets(), static_cast<std::size_t>(accepted.load()));
    EXPECT_EQ(gateway->deliveredCount(), 2u * accepted.load());
    mag->setGateway(nullptr);
    const auto fresh = std::dynamic_pointer_cast<CEmbeddedGateway>(mag->gateway());
    ASSERT_TRUE(fresh != nullptr && fresh != gateway);
    SMS::NET::CNetLogResult terms;
    terms.packSize = 5, fresh->setLoginResult(terms);
    EXPECT_EQ(mag->login("li", "pw").packSize, 5);
}

}  // namespace
