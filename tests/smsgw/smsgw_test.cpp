// The simulator as a client sees it: sessions, packets kept by idempotency
// key, charging, refusal rules, timed messages, replies and contacts, bad
// requests and misbehaviour on request.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "SmsgwRun.h"
#include "contracts/net/CNetSendASend.h"
#include "contracts/net/CNetSendBSend.h"
#include "contracts/net/CNetTimerSendA.h"
#include "contracts/net/CNetTimerSendB.h"

namespace {

using smsgwtest::Gateway;
using smsgwtest::json;
using smsgwtest::packetBody;
using SMS::NET::CNetSendASend;
using SMS::NET::CNetSendBSend;
using SMS::NET::CNetTimerSendA;
using SMS::NET::CNetTimerSendB;

json plain(const std::string& key, const std::vector<std::string>& phones, const std::string& text,
           std::vector<int> carriers = {}) {
    return packetBody(key, CNetSendASend{1, phones, std::move(carriers), {}, {}, text});
}

json timed(const std::string& key, int group, const std::string& text) {
    return packetBody(key, CNetTimerSendA{group, 0, 2030, 1, 2, 9, 0, {"13800138000"}, {}, {}, {}, text});
}

// Logged in as the one configured user, every packet gets one definite
// answer, charged once by GBK characters per carrier, and the same key with
// another text is a conflict.
TEST(Smsgw, PacketsAreJudgedChargedAndKeptPerKey) {
    const fakes::TempDir dir;
    Gateway gw(dir, {"--control", "--user", "demo", "--password", "secret", "--term",
                     "remainingSms=10", "--term", "mobileCharsPerSms=5", "--refuse-prefix", "130"});
    const auto refused = gw.post("/v1/login", {{"user", "demo"}, {"password", "wrong"}});
    EXPECT_EQ(refused.status, 401);
    EXPECT_EQ(refused.body.value("code", 0), 7);
    EXPECT_NE(refused.body.value("result", 0), 0);
    EXPECT_EQ(gw.call("GET", "/v1/balance").body.value("code", 0), 7);
    const auto login = gw.post("/v1/login", {{"user", "demo"}, {"password", "secret"}});
    ASSERT_EQ(login.body.value("code", -1), 0);
    EXPECT_EQ(login.body.value("remainingSms", 0), 10);
    EXPECT_EQ(login.body.value("mobileCharsPerSms", 0), 5);
    const std::string s = login.body.value("session", "");

    const std::vector<std::string> two = {"13800138000", "13900139000"};
    const struct {
        const char* what;
        json body;
        int status, code, balance;
    } rows[] = {
        {"two recipients, 10 characters at 5 a segment", plain("1:1", two, "0123456789"), 200, 0, 6},
        {"the same again: the kept answer, not charged", plain("1:1", two, "0123456789"), 200, 0, 6},
        {"another text under that key", plain("1:1", two, "01234"), 409, 8, 6},
        {"personalised, a Telecom number at 70", packetBody("2:1", CNetSendBSend{2, {"13300133000"}, {3}, {}, {}, {"hi"}}), 200, 0, 5},
        {"a refused prefix", plain("3:1", {"13012345678"}, "x"), 422, 4, 5},
        {"that refusal is kept too", plain("3:1", {"13012345678"}, "x"), 422, 4, 5},
        {"not Base64", {{"idempotencyKey", "4:1"}, {"packet", "@@@@"}}, 400, 2, 5},
        {"no packet class reads it", {{"idempotencyKey", "5:1"}, {"packet", "Z2FyYmFnZQ=="}}, 400, 2, 5},
        {"costs more than is left", plain("6:1", {"13800138000"}, std::string(30, 'x')), 422, 3, 5},
        {"five GBK characters are one segment", plain("7:1", {"13800138000"}, "短信五个字"), 200, 0, 4},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const auto a = gw.post("/v1/packets", row.body, s);
        EXPECT_EQ(a.status, row.status);
        EXPECT_EQ(a.body.value("code", -1), row.code);
        EXPECT_EQ(a.body.contains("error"), row.code != 0);
        EXPECT_EQ(gw.call("GET", "/v1/balance", "", s).body.value("remainingSms", -1), row.balance);
    }
    EXPECT_EQ(gw.stats()["delivered"], json::parse(R"({"demo":{"1:1":1,"2:1":1,"7:1":1}})"));
}

// Every n-th and outage rules come from the embedded gateway; an outage is
// transient, so the same key is judged afresh once it is over. Requests with
// one key at once wait for the first: one delivery.
TEST(Smsgw, GatewayRulesAndTransientRefusals) {
    const fakes::TempDir dir;
    Gateway gw(dir, {"--control"});
    const std::string s = gw.login();
    const struct {
        json control;
        const char* key;
        int code;
    } rows[] = {
        {{{"rules", {{"refuseEveryNth", 2}}}}, "a", 0},
        {json::object(), "b", 3},
        {json::object(), "b", 3},  // kept, not counted again
        {json::object(), "c", 0},
        {{{"rules", {{"refuseEveryNth", 0}, {"outageMs", 600000}}}}, "d", 5},
        {{{"rules", {{"outageMs", 0}}}}, "d", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.key);
        if (!row.control.empty()) {
            ASSERT_EQ(gw.post("/control", row.control).status, 200);
        }
        EXPECT_EQ(gw.post("/v1/packets", plain(row.key, {"13800138000"}, "x"), s).body.value("code", -1),
                  row.code);
    }
    ASSERT_EQ(gw.post("/control", {{"rules", {{"latencyMs", 100}}}}).status, 200);
    std::vector<std::thread> senders;
    std::vector<int> codes(4, -1);
    for (int& code : codes) {
        senders.emplace_back([&code, &gw, s] {
            code = smsgwtest::Client(gw.port()).post("/v1/packets", plain("e", {"13800138000"}, "x"), s).body.value("code", -1);
        });
    }
    for (auto& t : senders) t.join();
    EXPECT_EQ(codes, std::vector<int>(4, 0));
    EXPECT_EQ(gw.stats()["delivered"]["demo"], json::parse(R"({"a":1,"c":1,"d":1,"e":1})"));
}

// Cancelling is per user and repeatable with the same body, and every key
// still means the same message after kill -9.
TEST(Smsgw, TimedMessagesCancelAllOrNoneAcrossARestart) {
    const fakes::TempDir dir;
    Gateway gw(dir, {"--control"});
    std::string s = gw.login();
    const std::string other = gw.login("other");
    EXPECT_EQ(gw.post("/v1/packets", timed("t:1", 7, "a"), s).body.value("serviceKey", ""), "TM1");
    const auto personal = CNetTimerSendB{7, 0, 2030, 1, 2, 9, 0, {"13800138000"}, {}, {}, {}, {"b"}};
    EXPECT_EQ(gw.post("/v1/packets", packetBody("t:2", personal), s).body.value("serviceKey", ""), "TM2");
    EXPECT_EQ(gw.post("/v1/packets", timed("t:3", 8, "c"), s).body.value("serviceKey", ""), "TM3");
    EXPECT_EQ(gw.post("/v1/packets", timed("t:4", 9, "d"), s).body.value("serviceKey", ""), "TM4");
    const auto cancel = [&](const std::string& session, int group, const std::string& keys) {
        return gw.post("/v1/timers/cancel", {{"group", group}, {"keys", keys}}, session).body.value("code", -1);
    };
    // Which key lists cancel nothing: the gateway contract, run against smsgw.
    const struct {
        const char* keys;
        int group, code;
        bool asOther;
    } rows[] = {
        {"TM1", 7, 6, true}, {"TM1,TM2", 7, 0, false}, {"TM1,TM2", 7, 0, false},
        {"TM1", 7, 6, false}, {"TM4", 9, 0, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.keys) + (row.asOther ? " as another user" : ""));
        EXPECT_EQ(cancel(row.asOther ? other : s, row.group, row.keys), row.code);
    }
    EXPECT_EQ(gw.call("GET", "/v1/balance", "", s).body.value("remainingSms", 0), 99999);

    for (int start = 0; start < 2; ++start) {  // the second reads what the first rewrote
        gw.kill();
        ASSERT_TRUE(gw.start());
    }
    EXPECT_EQ(gw.call("GET", "/v1/balance", "", s).body.value("remainingSms", 0), 99999);
    EXPECT_EQ(gw.post("/v1/packets", timed("t:1", 7, "a"), s).body.value("serviceKey", ""), "TM1");
    EXPECT_EQ(gw.post("/v1/packets", timed("t:5", 7, "e"), s).body.value("serviceKey", ""), "TM5");
    EXPECT_EQ(cancel(s, 7, "TM1,TM2"), 0);
    EXPECT_EQ(cancel(s, 8, "TM3,TM5"), 6);
    EXPECT_EQ(cancel(s, 8, "TM3"), 0);
    EXPECT_EQ(gw.stats()["timed"], 1);
}

// Replies stay until acknowledged and keep their ids across kill -9; a
// contact replaces the one with its mobile; bad contacts are refused.
TEST(Smsgw, RepliesAndContactsOutliveAKill) {
    const fakes::TempDir dir;
    Gateway gw(dir, {"--control"});
    const std::string s = gw.login();
    for (const char* text : {u8"收到", u8"好的", u8"谢谢"}) {
        ASSERT_EQ(gw.post("/control", {{"reply", {{"phone", "13800138000"}, {"text", text}}}}).status, 200);
    }
    const auto ids = [&](const std::string& query) {
        const json list = gw.call("GET", "/v1/replies" + query, "", s).body["replies"];
        std::vector<int> out;
        for (const auto& r : list) out.push_back(r["id"]);
        return out;
    };
    EXPECT_EQ(ids("?max=2"), (std::vector<int>{1, 2}));
    EXPECT_EQ(gw.call("GET", "/v1/replies", "", s).body["replies"][2]["text"], u8"谢谢");
    EXPECT_EQ(gw.post("/v1/replies/ack", {{"upTo", 2}}, s).status, 200);
    json contact = {{"name", u8"张三"}, {"mobile", "13800138000"}, {"sex", 2}};
    for (const char* f : {"address", "reserved", "email", "birthday", "company", "title", "telephone",
                          "comment", "marriage", "career", "postcode", "spare1", "spare2", "spare3"}) {
        contact[f] = "";
    }
    const auto with = [&contact](const char* field, const json& value) {
        json changed = contact;
        changed[field] = value;
        return changed;
    };
    json missing = contact, another = with("mobile", "13900139000");
    missing.erase("spare3");
    another["name"] = u8"李四";
    const struct {
        const char* what;
        json body;
        int status;
    } rows[] = {
        {"a contact", contact, 200},
        {"the same mobile again", with("name", u8"张三丰"), 200},
        {"another mobile", another, 200},
        {"a field missing", missing, 400},
        {"sex as a text", with("sex", "2"), 400},
        {"a text GBK cannot hold", with("name", u8"\U0001F600"), 400},
        {"an empty mobile", with("mobile", ""), 400},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(gw.post("/v1/contacts", row.body, s).status, row.status);
    }

    gw.kill();
    ASSERT_TRUE(gw.start());
    EXPECT_EQ(ids(""), std::vector<int>{3});
    EXPECT_EQ(gw.stats()["contacts"]["demo"], 2);
    EXPECT_EQ(gw.post("/v1/replies/ack", {{"upTo", 3}}, s).status, 200);
    gw.kill();
    // A record cut off by the kill was never answered: it is dropped. The
    // second start reads the file the first one rewrote.
    std::ofstream(dir.file("state"), std::ios::app) << R"({"t":"reply","id":9,"pho)";
    ASSERT_TRUE(gw.start()) << gw.stderrText();
    gw.kill();
    ASSERT_TRUE(gw.start());
    ASSERT_EQ(gw.post("/control", {{"reply", {{"phone", "13800138000"}, {"text", "x"}}}}).status, 200);
    EXPECT_EQ(ids(""), std::vector<int>{4});
}

}  // namespace
