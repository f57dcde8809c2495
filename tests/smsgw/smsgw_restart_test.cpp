// The simulator killed in the middle of a series of sends, bad requests, and
// the misbehaviour it shows on request.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "SmsgwRun.h"
#include "contracts/net/CNetSendASend.h"
#include "contracts/net/CNetTimerSendA.h"

namespace {

using smsgwtest::Answer;
using smsgwtest::Gateway;
using smsgwtest::json;
using smsgwtest::packetBody;

json packet(int i) {
    const std::string key = std::to_string(i) + ":1", text = "message " + std::to_string(i);
    if (i % 10 == 0) {
        return packetBody(key, SMS::NET::CNetTimerSendA{i, 0, 2030, 1, 2, 9, 0, {"13800138000"}, {}, {}, {}, text});
    }
    return packetBody(key, SMS::NET::CNetSendASend{i, {"13800138000", "13900139000"}, {}, {}, {}, text});
}

// kill -9 lands while packets are at the gateway (its latency), the journal
// is rewritten every few records, and dropped connections leave the client
// in doubt.
// The client sends each packet until it has an answer: every answer it ever
// saw is the one it gets again, and each key is delivered exactly once.
TEST(Smsgw, KilledDuringASeriesLosesNothingAnsweredAndDeliversOnce) {
    const fakes::TempDir dir;
    Gateway gw(dir, {"--control", "--latency-ms", "20", "--compact-every", "5", "--drop", "0.3",
                     "--seed", "7"});
    std::string s = gw.login();
    constexpr int kPackets = 60;
    std::map<int, json> seen;
    for (int i = 1; i <= kPackets; ++i) {
        std::thread killer;
        if (i % 15 == 0) {
            killer = std::thread([&gw] {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                gw.kill();
            });
        }
        Answer a = gw.post("/v1/packets", packet(i), s);
        if (killer.joinable()) {
            killer.join();
            gw.start();
        }
        for (int tries = 0; !a.arrived && tries < 20; ++tries) a = gw.post("/v1/packets", packet(i), s);
        ASSERT_TRUE(a.arrived) << i;
        EXPECT_EQ(a.body.value("code", -1), 0) << i;
        seen[i] = a.body;
    }
    gw.kill();
    gw.start();
    ASSERT_EQ(gw.post("/control", {{"faults", {{"drop", 0}}}}).status, 200);
    for (const auto& [i, body] : seen) {
        SCOPED_TRACE(i);
        EXPECT_EQ(gw.post("/v1/packets", packet(i), s).body, body);
    }
    const json stats = gw.stats();
    ASSERT_EQ(stats["delivered"]["demo"].size(), std::size_t{kPackets});
    for (const auto& [key, times] : stats["delivered"]["demo"].items()) EXPECT_EQ(times, 1) << key;
    EXPECT_EQ(stats["timed"], kPackets / 10);
    EXPECT_EQ(stats["balances"]["demo"], 100000 - (kPackets * 2 - kPackets / 10));
}

// Bad requests get a definite refusal with a code; /control exists only when
// asked for; a state file in use or damaged stops the start, and a damaged
// one stays as it was.
TEST(Smsgw, RefusesBadRequests) {
    const fakes::TempDir dir;
    Gateway gw(dir, {"--control"});
    const std::string s = gw.login();
    const std::string huge = R"({"idempotencyKey":"1:1","packet":")" + std::string(1024 * 1024, 'A') + "\"}";
    const struct {
        const char *method, *path;
        std::string body;
        int status;
    } rows[] = {
        {"POST", "/v1/packets", huge, 413},
        {"POST", "/v1/packets", "{", 400},
        {"POST", "/v1/packets", "[]", 400},
        {"POST", "/v1/packets", R"({"idempotencyKey":5,"packet":"AAAA"})", 400},
        {"POST", "/v1/packets", R"({"idempotencyKey":"","packet":"AAAA"})", 400},
        {"POST", "/v1/timers/cancel", R"({"group":"7","keys":"TM1"})", 400},
        {"POST", "/v1/replies/ack", R"({"upTo":-1})", 400},
        {"GET", "/v1/replies?max=0", "", 400},
        {"POST", "/v1/login", R"({"user":"","password":""})", 400},
        {"GET", "/v1/nothing", "", 404},
        {"POST", "/v1/balance", "{}", 404},
        {"POST", "/control", R"({"faults":{"drop":2}})", 400},
        {"POST", "/control", R"({"rules":{"refuseEveryNth":-1}})", 400},
        {"POST", "/control", R"({"terms":{"packSize":"x"}})", 400},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.method) + " " + row.path + " " + row.body.substr(0, 40));
        const Answer a = gw.call(row.method, row.path, row.body, s);
        EXPECT_EQ(a.status, row.status);
        EXPECT_EQ(a.body.value("code", -1), 2);
    }
    EXPECT_EQ(gw.post("/v1/packets", {{"idempotencyKey", "1:1"}, {"packet", "AAAA"}}, s).status, 400)
        << "the server is still up after the refusals";
    Gateway twin(dir, {}, false);
    EXPECT_FALSE(twin.start());
    EXPECT_EQ(twin.exitStatus(), 1);
    const fakes::TempDir plainDir;
    Gateway plain(plainDir, {});
    EXPECT_EQ(plain.call("GET", "/control/stats").status, 404);
    EXPECT_EQ(plain.post("/control", {{"faults", {{"drop", 1}}}}).status, 404);
    plain.kill();
    const std::string damaged = R"({"t":"ack","upTo":1})" "\n" "{\"t\":\n" R"({"t":"ack","upTo":2})" "\n";
    std::ofstream(plainDir.file("state")) << damaged;
    EXPECT_FALSE(plain.start());
    EXPECT_EQ(plain.exitStatus(), 1);
    EXPECT_NE(plain.stderrText().find("line 2"), std::string::npos) << plain.stderrText();
    std::ifstream in(plainDir.file("state"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), damaged);
}

// Each misbehaviour on its own: refusals before any work, answers lost after
// the work was done, bodies too large or slow; the same seed, the same run.
TEST(Smsgw, MisbehavesOnRequest) {
    const fakes::TempDir dir;
    Gateway gw(dir, {"--control"});
    const std::string s = gw.login();
    const json off = {{"tooMany", 0}, {"unavailable", 0}, {"drop", 0}, {"truncate", 0},
                      {"oversize", 0}, {"drip", 0}};
    const struct {
        json faults;
        bool arrived;
        int status;
        bool delivered;
    } rows[] = {
        {{{"tooMany", 1}, {"retryAfter", 3}}, true, 429, false},
        {{{"unavailable", 1}}, true, 503, false},
        {{{"drop", 1}}, false, 0, true},
        {{{"truncate", 1}}, false, 0, true},
        {{{"oversize", 1}, {"oversizeBytes", 2 * 1024 * 1024}}, true, 200, true},
        {{{"drip", 1}, {"dripMs", 1}}, true, 200, true},
    };
    int n = 0;
    for (const auto& row : rows) {
        const std::string key = "m" + std::to_string(++n);
        SCOPED_TRACE(row.faults.dump());
        json faults = off;
        faults.update(row.faults);
        ASSERT_EQ(gw.post("/control", {{"faults", faults}}).status, 200);
        const Answer a = gw.post("/v1/packets", packet(n), s);
        EXPECT_EQ(a.arrived, row.arrived);
        EXPECT_EQ(a.status, row.status);
        EXPECT_EQ(a.retryAfter, row.status == 429 ? "3" : "");
        EXPECT_EQ(a.body.value("code", -1), row.status == 200 ? 0 : row.status == 429 ? 9 : row.status == 503 ? 5 : -1);
        EXPECT_EQ(a.size, row.faults.contains("oversize") ? std::size_t{2 * 1024 * 1024} : a.size);
        ASSERT_EQ(gw.post("/control", {{"faults", off}}).status, 200);
        EXPECT_EQ(gw.stats()["delivered"]["demo"].contains(std::to_string(n) + ":1"), row.delivered);
    }
    const auto pattern = [&](int first) {
        EXPECT_EQ(gw.post("/control", {{"faults", {{"drop", 0.5}, {"seed", 42}}}}).status, 200);
        std::string arrived;
        for (int i = first; i < first + 16; ++i) arrived += gw.post("/v1/packets", packet(i), s).arrived ? '+' : '-';
        return arrived;
    };
    const std::string once = pattern(100);
    EXPECT_EQ(pattern(200), once);
    EXPECT_NE(once.find('+'), std::string::npos);
    EXPECT_NE(once.find('-'), std::string::npos);
}

}  // namespace
