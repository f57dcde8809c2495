// The gateway contract, run against the embedded service and against the
// HTTP gateway talking to an smsgw process (which judges by an embedded
// service of its own): packet kinds, refusal rules, timed messages and their
// cancellation, login terms, contact uploads. Then what only the embedded
// service shows: its records, its state file, and the interface object's
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
#include <type_traits>
#include <vector>

#include "contracts/net/CEmbeddedGateway.h"
#include "contracts/net/CNetInterfaceMag.h"
#include "contracts/net/CNetSendASend.h"
#include "contracts/net/CNetSendBSend.h"
#include "contracts/net/CNetTimerSendA.h"
#include "contracts/net/CNetTimerSendB.h"
#include "contracts/net/HttpGateway.h"
#include "contracts/platform/CodePage.h"
#include "tests/fakes/LogCapture.h"
#include "tests/fakes/TempDir.h"
#include "tests/smsgw/SmsgwRun.h"

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

std::string utf8(const std::string& gbk) {
    std::string out;
    EXPECT_TRUE(Platform::gbkToUtf8(gbk, out)) << gbk;
    return out;
}

// The embedded service, told its rules directly.
class EmbeddedRig {
public:
    SMS::NET::IGateway& gateway() { return gateway_; }
    void rules(int everyNth, const std::string& prefix, std::chrono::milliseconds outage) {
        gateway_.setRefuseEveryNth(everyNth);
        gateway_.setRefusedPrefix(prefix);
        gateway_.setOutage(outage);
    }
    void terms(const SMS::NET::CNetLogResult& terms) { gateway_.setLoginResult(terms); }
    std::size_t scheduled() const { return gateway_.scheduledCount(); }
    std::size_t contacts() const { return gateway_.uploadedContacts().size(); }

private:
    CEmbeddedGateway gateway_;
};

// HttpGateway logged in at an smsgw of the test's own, whose rules and terms
// are set through its control endpoint. Two attempts a request, no waits.
class HttpRig {
public:
    HttpRig() : process_(dir_, {"--control"}), gateway_(options(process_.port())) {
        EXPECT_EQ(gateway_.login("demo", "secret").result, 0);
    }
    SMS::NET::IGateway& gateway() { return gateway_; }
    void rules(int everyNth, const std::string& prefix, std::chrono::milliseconds outage) {
        control({{"rules", {{"refuseEveryNth", everyNth}, {"refusedPrefix", prefix},
                            {"outageMs", outage.count()}}}});
    }
    void terms(const SMS::NET::CNetLogResult& t) {
        control({{"terms", {{"result", t.result}, {"message", utf8(t.message)},
                            {"userName", utf8(t.userName)}, {"remainingSms", t.remainingSms},
                            {"packSize", t.packSize}, {"firstPackSize", t.firstPackSize}}}});
    }
    std::size_t scheduled() { return process_.stats().value("timed", std::size_t{0}); }
    std::size_t contacts() {
        std::size_t n = 0;
        const smsgwtest::json perUser = process_.stats().value("contacts", smsgwtest::json::object());
        for (const auto& count : perUser) n += count.get<std::size_t>();
        return n;
    }

private:
    static SMS::NET::HttpGateway::Options options(int port) {
        SMS::NET::HttpGateway::Options o;
        o.baseUrl = "http://127.0.0.1:" + std::to_string(port);
        o.maxAttempts = 2;
        o.sleep = [](std::chrono::milliseconds) {};
        return o;
    }
    void control(const smsgwtest::json& body) {
        EXPECT_EQ(process_.post("/control", body).body.value("code", -1), 0) << body;
    }

    fakes::TempDir dir_;
    smsgwtest::Gateway process_;
    SMS::NET::HttpGateway gateway_;
};

template <class Rig>
class GatewayContract : public ::testing::Test {
protected:
    // Each packet under a key of its own, as the queue gives them.
    SMS::NET::CNetSendResultB send(Dmg::QueueData packet) {
        packet.recordId = ++sent_;
        return rig.gateway().send(packet);
    }
    Rig rig;

private:
    int sent_ = 0;
};

struct RigNames {
    template <class Rig>
    static std::string GetName(int) {
        return std::is_same_v<Rig, EmbeddedRig> ? "Embedded" : "Http";
    }
};
using Rigs = ::testing::Types<EmbeddedRig, HttpRig>;
TYPED_TEST_SUITE(GatewayContract, Rigs, RigNames);

// Outage first, then malformed packets, then the every-n-th count (which
// restarts when set), then the refused prefix; the refusal texts too.
TYPED_TEST(GatewayContract, AppliesRulesInOrder) {
    const Dmg::QueueData ok = packA({"13800138000"}, "hi"), nobody = packA({}, "x");
    const Dmg::QueueData unicom = packA({"13800138000", "13012345678"}, "hi");
    Dmg::QueueData garbage;
    garbage.commonMsg = 1;
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
        // Garbage, texts not matching the recipients, nobody.
        {0, "", 0, {garbage, packB({"13800138000", "13900139000"}, {"one"}), nobody},
         {2, 2, 2}, "数据包格式错误"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lastError);
        this->send(ok);  // counted before the rules are set
        this->rig.rules(c.everyNth, c.prefix, std::chrono::hours(c.outage != 0 ? 1 : 0));
        if (c.outage < 0) this->rig.rules(c.everyNth, c.prefix, std::chrono::hours(0));
        std::vector<int> codes;
        std::string lastError;
        for (const Dmg::QueueData& packet : c.packets) {
            const SMS::NET::CNetSendResultB result = this->send(packet);
            codes.push_back(result.code), lastError = result.errorText;
        }
        EXPECT_EQ(codes, c.codes);
        EXPECT_EQ(lastError, c.lastError);
    }
}

// Each kind is taken; a timed packet gets a key of its own, and the keys of
// one group are cancelled all or none: an empty, unknown, repeated or
// already cancelled key, or one of another group, cancels nothing.
TYPED_TEST(GatewayContract, TakesEachKindAndCancelsTimedAllOrNone) {
    using SMS::NET::CNetTimerSendA, SMS::NET::CNetTimerSendB;
    const auto timedA = [](int group) {
        return stored(
            CNetTimerSendA{group, 1, 2030, 1, 2, 9, 0, {"13800138000"}, {}, {}, {}, "明早"}, 1, 1);
    };
    const Dmg::QueueData packets[] = {
        packA({"13800138000", "13900139000"}, "通知"), packB({"13118900000"}, {"张三好"}),
        timedA(41),
        stored(CNetTimerSendB{42, 1, 2030, 1, 2, 9, 0, {"13800138000"}, {}, {}, {}, {"a"}}, 0, 1),
        timedA(41)};
    std::vector<std::string> keys;
    for (const Dmg::QueueData& packet : packets) {
        const SMS::NET::CNetSendResultB result = this->send(packet);
        EXPECT_EQ(result.code, 0);
        EXPECT_EQ(result.serviceKey.empty(), packet.timerFlag == 0);
        if (packet.timerFlag != 0) keys.push_back(result.serviceKey);
    }
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_TRUE(keys[0] != keys[1] && keys[1] != keys[2] && keys[0] != keys[2]);
    const std::string a1 = keys[0], b = keys[1], a2 = keys[2];
    // A prefix of a key, a trailing comma: no key. A part of a group may go.
    const struct {
        int group;
        std::string keys;
        int code;
        std::size_t scheduledAfter;
    } cancels[] = {
        {41, "", 6, 3},           {41, a2 + "," + a1.substr(0, 2), 6, 3}, {41, a1 + ",", 6, 3},
        {41, a1 + "," + a1, 6, 3}, {41, a1 + "," + b, 6, 3}, {42, b, 0, 2},
        {41, a2, 0, 1},           {41, a2 + "," + a1, 6, 1},  {41, a1, 0, 0},
    };
    for (const auto& c : cancels) {
        SCOPED_TRACE(std::to_string(c.group) + " " + c.keys);
        const SMS::NET::CNetSendResultB result = this->rig.gateway().DelTimerMsg(c.group, c.keys);
        EXPECT_EQ(result.code, c.code);
        EXPECT_EQ(result.errorText, c.code == 0 ? "" : "定时信息不存在");
        EXPECT_EQ(this->rig.scheduled(), c.scheduledAfter);
    }
}

// Login gives the terms the service holds, a refusal its result and text;
// uploaded contacts are kept.
TYPED_TEST(GatewayContract, LogsInWithItsTermsAndTakesContacts) {
    SMS::NET::CNetLogResult terms;
    terms.message = "欢迎", terms.userName = "李雷";
    terms.remainingSms = 900, terms.packSize = 5, terms.firstPackSize = 2;
    this->rig.terms(terms);
    const SMS::NET::CNetLogResult in = this->rig.gateway().login("li", "pw");
    EXPECT_EQ(in.result, 0);
    EXPECT_EQ(in.message + "/" + in.userName, "欢迎/李雷");
    EXPECT_EQ(std::to_string(in.remainingSms) + "," + std::to_string(in.packSize) + "," +
                  std::to_string(in.firstPackSize),
              "900,5,2");

    SMS::NET::CNetFriendInfo contact;
    contact.name = "王芳", contact.mobile = "15012345602";
    this->rig.gateway().sendFriendInfo(contact);
    contact.mobile = "13800138001";
    this->rig.gateway().sendFriendInfo(contact);
    EXPECT_EQ(this->rig.contacts(), 2u);

    terms.result = 3, terms.message = "账号已停用";
    this->rig.terms(terms);
    const SMS::NET::CNetLogResult refused = this->rig.gateway().login("li", "pw");
    EXPECT_EQ(refused.result, 3);
    EXPECT_EQ(refused.message, "账号已停用");
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
               std::to_string(p.hour) + "." + std::to_string(p.minute);
        for (std::size_t i = 0; i < p.phones.size(); ++i) out += ":" + p.phones[i] + "=" + p.texts[i];
        out += ";";
    }
    return out;
}

// What the embedded service keeps of each kind: the messages per recipient
// and the timed packets with their times; a packet whose flags name another
// kind than its text is malformed.
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
    Dmg::QueueData asB = packA({"13800138000"}, "x"), asTA = asB;
    asB.commonMsg = 0, asTA.timerFlag = 1;
    EXPECT_EQ(gateway.send(asB).code, 2);
    EXPECT_EQ(gateway.send(asTA).code, 2);
    EXPECT_EQ(gateway.acceptedPackets(), 4u);
    EXPECT_EQ(gateway.refusedPackets(), 3u);

    std::string seen;
    for (const auto& d : gateway.delivered()) {
        seen += std::to_string(d.packetId) + ":" + d.phone + ":" + d.text + ";";
    }
    EXPECT_EQ(seen, "11:13800138000:通知;11:13900139000:通知;8:13118900000:张三好;");
    EXPECT_EQ(schedule(gateway),
              "TM1/41/24 8.30:13800138000=明早;TM2/42/24 9.0:13800138000=a:13900139000=b;");
    gateway.clear();
    EXPECT_EQ(gateway.deliveredCount() + gateway.scheduledCount() + gateway.acceptedPackets(), 0u);
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
              "TM1/5/24 9.0:13800138000=明早 九点\n:13900139000=;TM3/7/24 9.0:13800138000=c;");
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
