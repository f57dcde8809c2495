// The HTTP gateway against a scripted service: which failures are retried
// and how long it waits, how answers map onto codes and GBK texts, the
// session, and several threads on one gateway.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "contracts/net/HttpGateway.h"
#include "tests/fakes/TempDir.h"
#include "tests/net_http/ScriptedServer.h"

namespace {

using namespace std::chrono_literals;
using nethttp::ScriptedServer;
using SMS::NET::HttpGateway;
using Json = nlohmann::json;

const std::string kOk = R"({"code":0})";

std::string loginOk(const std::string& session) {
    return R"({"code":0,"session":")" + session + R"(","remainingSms":99,"userName":")" +
           u8"演示用户" + "\"}";
}

std::string refusal(int code, const std::string& utf8Error) {
    return R"({"code":)" + std::to_string(code) + R"(,"error":")" + utf8Error + "\"}";
}

nethttp::Step ok(const std::string& body = kOk) { return ScriptedServer::json(200, body); }

class HttpGatewayTest : public ::testing::Test {
protected:
    HttpGateway::Options options() {
        HttpGateway::Options o;
        o.baseUrl = server.url();
        o.maxAttempts = 5;
        o.backoffCap = 300ms;
        o.jitterSeed = 11;
        o.sleep = [this](std::chrono::milliseconds wait) { waits.push_back(wait.count()); };
        return o;
    }
    static Dmg::QueueData packet(int recordId = 42, int timerFlag = 0) {
        Dmg::QueueData q;
        q.packetText = std::string("A\x01\xff", 3);  // Base64 "QQH/"
        q.packetId = 7, q.recordId = recordId, q.timerFlag = timerFlag;
        return q;
    }
    static Json body(const nethttp::Seen& seen) { return Json::parse(seen.body); }

    fakes::TempDir dir;  // the gateway writes nothing; the test's folder all the same
    ScriptedServer server;
    std::vector<long long> waits;  // what the injected sleep was asked for
};

// Each failure once more than allowed gives up with its own text, code 5 when
// the service said it did not take the packet, else 10 (unknown);
// twice, then an answer, succeeds. Every attempt carries the same body, and the
// waits grow from 100 ms by 2 up to the cap, jittered, or follow Retry-After.
TEST_F(HttpGatewayTest, RetriesTransientFailuresWithTheSameKey) {
    const struct {
        const char* name;
        nethttp::Step step;
        std::string text;
        long long retryAfterMs;
        int lastCode;  // 10 when the service may have taken it, else 5
    } cases[] = {
        {"dropped", ScriptedServer::drop(), "服务连接中断", 0, 10},
        {"503 with text", ScriptedServer::json(503, refusal(5, u8"服务维护中")), "服务维护中", 0,
         5},
        {"502 page", ScriptedServer::json(502, "<html>"), "服务暂不可用", 0, 10},
        {"429", ScriptedServer::json(429, R"({"code":9})", "2"), "服务请求过多", 2000, 5},
        {"code 5 in a 200", ok(refusal(5, u8"暂停服务")), "暂停服务", 0, 5},
        {"truncated", ok(R"({"code":0,"serv)"), "服务响应无法读取", 0, 10},
        {"wrong type", ok(R"({"code":"0"})"), "服务响应无法读取", 0, 10},
        {"not GBK", ok(refusal(3, u8"\U0001F600")), "服务响应无法读取", 0, 10},
        {"deep", ok(std::string(400000, '[') + std::string(400000, ']')), "服务响应无法读取", 0,
         10},
        {"100 MB", server.stream(100u << 20, 0ms), "服务响应过大，无法读取", 0, 10},
    };
    std::set<long long> jittered;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const bool recovers : {true, false}) {
            HttpGateway gateway(options());
            waits.clear();
            server.script(recovers ? std::vector<nethttp::Step>{c.step, c.step, ok()}
                                   : std::vector<nethttp::Step>{c.step});
            const SMS::NET::CNetSendResultB result = gateway.send(packet());
            const std::vector<nethttp::Seen> seen = server.seen();
            ASSERT_EQ(seen.size(), recovers ? 3u : 5u);
            EXPECT_EQ(result.code, recovers ? 0 : c.lastCode);
            EXPECT_EQ(result.errorText, recovers ? "" : c.text);
            for (const auto& s : seen) EXPECT_EQ(body(s), body(seen[0]));
            EXPECT_EQ(body(seen[0])["idempotencyKey"], "7:42");
            EXPECT_EQ(body(seen[0])["packet"], "QQH/");
            ASSERT_EQ(waits.size(), seen.size() - 1);
            for (std::size_t i = 0; i < waits.size(); ++i) {
                const long long full = std::min(300LL, 100LL << i);
                EXPECT_GE(waits[i], std::max(full / 2, c.retryAfterMs)) << i;
                EXPECT_LE(waits[i], std::max(full, c.retryAfterMs)) << i;
                if (waits[i] != full && c.retryAfterMs == 0) jittered.insert(waits[i]);
            }
        }
    }
    EXPECT_FALSE(jittered.empty());
    // An attempt that may have been taken keeps the outcome unknown.
    HttpGateway gateway(options());
    server.script({ScriptedServer::drop(), ScriptedServer::json(503, refusal(5, "x"))});
    EXPECT_EQ(gateway.send(packet()).code, SMS::NET::CNetSendResultB::kOutcomeUnknown);
}

// A definite answer is final after one request, with the service's code and
// its text in GBK, or a code for the status and a text of our own.
TEST_F(HttpGatewayTest, DefiniteAnswersAreNotRetried) {
    const struct {
        nethttp::Step step;
        bool cancel;  // DelTimerMsg, else send
        int code;
        std::string text;
    } cases[] = {
        {ScriptedServer::json(422, refusal(4, u8"号码被服务拒收")), false, 4, "号码被服务拒收"},
        {ScriptedServer::json(409, refusal(8, u8"键已用于其他数据包")), false, 8,
         "键已用于其他数据包"},
        {ok(refusal(3, u8"服务拒绝了该数据包")), false, 3, "服务拒绝了该数据包"},
        {ScriptedServer::json(404, refusal(6, u8"定时信息不存在")), true, 6, "定时信息不存在"},
        {ScriptedServer::json(400, "bad"), false, 2, "服务拒绝了请求"},
        {ScriptedServer::json(422, refusal(4, u8"\U0001F600")), false, 3, "服务拒绝了请求"},
        {ScriptedServer::json(404, kOk), true, 6, "服务拒绝了请求"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        HttpGateway gateway(options());
        server.script({c.step});
        const auto result = c.cancel ? gateway.DelTimerMsg(7, "TM17") : gateway.send(packet());
        EXPECT_EQ(result.code, c.code);
        EXPECT_EQ(result.errorText, c.text);
        EXPECT_EQ(server.seen().size(), 1u);
    }
    EXPECT_TRUE(waits.empty());
}

TEST_F(HttpGatewayTest, KeepsTheSessionAndLogsInAgainOnce) {
    HttpGateway gateway(options());
    server.script({ok(loginOk("s1"))});
    const SMS::NET::CNetLogResult terms = gateway.login("张伟", "密");
    EXPECT_EQ(terms.result, 0);
    EXPECT_EQ(terms.remainingSms, 99);
    EXPECT_EQ(terms.userName, "演示用户");
    EXPECT_EQ(body(server.seen()[0])["user"], u8"张伟");

    const auto pathsAndAuth = [&] {
        std::vector<std::string> out;
        for (const auto& s : server.seen()) out.push_back(s.path + " " + s.auth);
        return out;
    };
    const std::vector<std::string> renewed = {"/v1/packets Bearer s1", "/v1/login ",
                                              "/v1/packets Bearer s2"};
    const nethttp::Step unauthorized = ScriptedServer::json(401, refusal(7, u8"未登录"));
    server.script({unauthorized, ok(loginOk("s2")), ok()});
    EXPECT_EQ(gateway.send(packet()).code, 0);
    EXPECT_EQ(pathsAndAuth(), renewed);

    server.script({unauthorized, ok(loginOk("s3")), unauthorized});
    const auto stillRefused = gateway.send(packet());
    EXPECT_EQ(stillRefused.code, HttpGateway::kNotLoggedIn);
    EXPECT_EQ(stillRefused.errorText, "未登录");
    EXPECT_EQ(server.seen().size(), 3u);

    // A refused login ends the session: no token, no login of its own.
    server.script({ScriptedServer::json(401, R"({"code":7,"error":"x","result":3,"message":")" +
                                                 std::string(u8"密码错误") + "\"}")});
    const SMS::NET::CNetLogResult refused = gateway.login("张伟", "错");
    EXPECT_EQ(refused.result, 3);
    EXPECT_EQ(refused.message, "密码错误");
    server.script({unauthorized});
    std::int32_t remaining = 0;
    EXPECT_EQ(gateway.balance(remaining).code, HttpGateway::kNotLoggedIn);
    EXPECT_EQ(pathsAndAuth(), std::vector<std::string>{"/v1/balance "});
}

// Every request's body and answer, texts GBK on our side and UTF-8 on the
// wire (timed packets and cancellations: the gateway contract against smsgw).
TEST_F(HttpGatewayTest, MapsEveryRequestAndAnswer) {
    HttpGateway gateway(options());
    const std::string reply = R"({"id":31,"phone":"13800138000","text":")" +
                              std::string(u8"收到，谢谢") + R"(","time":"2026-12-07 09:30:00"})";
    server.script({ok(), ok(R"({"code":0,"replies":[)" + reply + "]}"), ok(),
                   ok(R"({"code":0,"remainingSms":99993})")});
    SMS::NET::CNetFriendInfo contact;
    contact.name = "张伟", contact.mobile = "13800138000", contact.sex = 2,
    contact.marriage = "已婚";
    gateway.sendFriendInfo(contact);
    std::vector<HttpGateway::Reply> replies;
    EXPECT_EQ(gateway.fetchReplies(500, replies).code, 0);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(std::to_string(replies[0].id) + replies[0].text + replies[0].time,
              "31收到，谢谢2026-12-07 09:30:00");
    EXPECT_EQ(gateway.ackReplies(31).code, 0);
    std::int32_t remaining = 0;
    EXPECT_EQ(gateway.balance(remaining).code, 0);
    EXPECT_EQ(remaining, 99993);

    const std::vector<nethttp::Seen> seen = server.seen();
    std::vector<std::string> paths;
    for (const auto& s : seen) paths.push_back(s.path);
    ASSERT_EQ(paths, (std::vector<std::string>{"/v1/contacts", "/v1/replies?max=500",
                                               "/v1/replies/ack", "/v1/balance"}));
    const Json upload = body(seen[0]);
    EXPECT_EQ(upload["name"], u8"张伟");
    EXPECT_EQ(upload["marriage"], u8"已婚");
    EXPECT_EQ(upload["sex"], 2);
    EXPECT_EQ(upload.size(), 17u);
    EXPECT_EQ(body(seen[2]), Json::parse(R"({"upTo":31})"));
}

// No service at the address, and one that answers a byte at a time.
TEST_F(HttpGatewayTest, TransportFailuresNameWhatFailed) {
    HttpGateway::Options o = options();
    o.maxAttempts = 2, o.requestTimeout = 300ms;
    server.script({server.stream(100, 20ms)});
    EXPECT_EQ(HttpGateway(o).send(packet()).errorText, "服务响应超时");
    EXPECT_EQ(server.seen().size(), 2u);
    o.baseUrl = "http://127.0.0.1:1";
    const auto refused = HttpGateway(o).send(packet());
    EXPECT_EQ(refused.code, 5);
    EXPECT_EQ(refused.errorText, "无法连接服务");
}

// Threads that meet an expired session log in once, and each keeps its
// connection alive.
TEST_F(HttpGatewayTest, SeveralThreadsShareOneGateway) {
    HttpGateway gateway(options());
    server.script({ok(loginOk("s1"))});
    ASSERT_EQ(gateway.login("u", "p").result, 0);
    server.script({[](const httplib::Request& req, httplib::Response& res) {
        const bool login = req.path == "/v1/login",
                   current = req.get_header_value("Authorization") == "Bearer s2";
        res.status = login || current ? 200 : 401;
        res.set_content(login     ? loginOk("s2")
                        : current ? kOk
                                  : refusal(7, "x"),
                        "application/json");
    }});
    constexpr int kThreads = 4, kEach = 25;
    std::vector<std::thread> threads;
    std::atomic<int> accepted{0};
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i)
                accepted += gateway.send(packet(t * kEach + i)).accepted();
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(accepted, kThreads * kEach);
    std::set<std::string> keys;
    std::set<int> ports;
    int logins = 0;
    for (const auto& s : server.seen()) {
        logins += s.path == "/v1/login";
        if (s.path == "/v1/packets" && s.auth == "Bearer s2")
            keys.insert(body(s)["idempotencyKey"]);
        ports.insert(s.port);
    }
    EXPECT_EQ(logins, 1);
    EXPECT_EQ(keys.size(), static_cast<std::size_t>(kThreads * kEach));
    EXPECT_LE(ports.size(), static_cast<std::size_t>(kThreads));
}

}  // namespace
