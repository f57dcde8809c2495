// smsctl against a real smsgw started by the test: sends, timers, uploads and
// replies over HTTP, and the errors of a refused or unreachable login.
#include <atomic>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/fakes/Sockets.h"
#include "tests/net_http/ScriptedServer.h"
#include "tests/smsctl/SmsctlRun.h"
#include "tests/smsgw/SmsgwRun.h"

namespace {

using smsgwtest::json;

std::string urlOf(int port) { return "http://127.0.0.1:" + std::to_string(port); }

std::vector<std::string> at(const std::string& url, std::vector<std::string> args) {
    std::vector<std::string> all = {"--gateway", url, "--user", "demo", "--password", "secret"};
    all.insert(all.end(), args.begin(), args.end());
    return all;
}

TEST(SmsctlHttp, SendsTimersAndUploadsGoToTheServiceAndLoginFailuresAreClear) {
    const fakes::TempDir dir;
    smsgwtest::Gateway gw(dir, {"--control", "--user", "demo", "--password", "secret"});
    const std::string url = urlOf(gw.port());
    const struct {
        const char* what;
        std::vector<std::string> args;
        int status;
        std::string says;  // in stdout or stderr
    } rows[] = {
        {"a send", at(url, {"send", "13800138000", "13900139000", "--text", "hi", "--json"}), 0,
         "\"packets_sent\": 1, \"packets_failed\": 0"},
        {"a timed send", at(url, {"send", "13700137000", "--text", "t", "--at", "2030-01-02 09:00"}),
         0, "through the SMS service at " + url},
        {"its cancellation", at(url, {"timers", "cancel", "--all"}), 0, u8"正确删除1条"},
        {"a contact", at(url, {"contacts", "add", "--name", "Li", "--mobile", "13600136000"}), 0, ""},
        {"its upload", at(url, {"contacts", "upload"}), 0, "uploaded 1 contacts to " + url},
        {"a wrong password", {"--gateway", url, "--user", "demo", "--password", "x", "queue", "list"},
         1, "login refused by " + url},
        {"nothing listening", at(urlOf(fakes::closedPort()), {"queue", "list"}), 1,
         "cannot reach the service at http://127.0.0.1:"},
        {"no port", at("http://127.0.0.1", {"queue", "list"}), 2, "has no port"},
        {"a port too large", at("http://127.0.0.1:65536", {"queue", "list"}), 2, "outside 1..65535"},
        {"not http", at("https://127.0.0.1:8780", {"queue", "list"}), 2, "is not an http:// URL"},
        {"a path", at("http://h/x:8780", {"queue", "list"}), 2, "has a path"},
        {"inject", at(url, {"replies", "inject", "13800138000", "ok"}), 2, "embedded gateway only"},
        {"demo", at(url, {"demo"}), 2, "demo runs on the embedded gateway"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const smsctltest::Result r = smsctltest::run(dir, row.args);
        EXPECT_EQ(row.status, r.status) << r.err;
        EXPECT_NE(std::string::npos, (r.out + r.err).find(row.says)) << r.out << r.err;
    }
    EXPECT_EQ((std::map<std::string, int>{{"13700137000", 1}, {"13800138000", 1}, {"13900139000", 1}}),
              smsctltest::sentTimes(dir.file("user")));
    const json stats = gw.stats();
    ASSERT_EQ(2u, stats["delivered"]["demo"].size()) << stats.dump();
    for (const auto& times : stats["delivered"]["demo"]) EXPECT_EQ(1, times) << stats.dump();
    EXPECT_EQ(0, stats["timed"]);
    EXPECT_EQ(1, stats["contacts"]["demo"]);
}

// The acknowledgements of the first fetch never reach the service, which
// lists those replies again; the second fetch stores only the new one.
TEST(SmsctlHttp, RepliesAreStoredOnceWhenTheirAcknowledgementIsLost) {
    const fakes::TempDir dir;
    smsgwtest::Gateway gw(dir, {"--control"});
    std::atomic<bool> loseAcks{true};  // set by the test's thread, read by the proxy's
    const int gwPort = gw.port();
    nethttp::ScriptedServer proxy;
    proxy.script({[&](const httplib::Request& req, httplib::Response& res) {
        if (loseAcks && req.path == "/v1/replies/ack") {
            res.status = 503;
            res.set_content(R"({"code":5,"error":"lost"})", "application/json");
            return;
        }
        httplib::Client service("127.0.0.1", gwPort);
        const httplib::Headers auth = {{"Authorization", req.get_header_value("Authorization")}};
        const auto a = req.method == "GET" ? service.Get(req.target.c_str(), auth)
                                           : service.Post(req.target.c_str(), auth, req.body, "application/json");
        if (!a) return;
        res.status = a->status;
        res.set_content(a->body, "application/json");
    }});
    const auto reply = [&gw](const std::string& text) {
        ASSERT_EQ(200, gw.post("/control", {{"reply", {{"phone", "13800138000"}, {"text", text}}}}).status);
    };
    reply("a"), reply("b");
    const std::vector<std::string> fetch = {"--gateway", proxy.url(), "replies", "fetch"};
    smsctltest::Result r = smsctltest::run(dir, fetch);
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("stored 2 replies\n", r.out);
    EXPECT_EQ(2, gw.stats()["replies"]);

    loseAcks = false;
    reply("c");
    r = smsctltest::run(dir, fetch);
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("stored 1 reply\n", r.out);
    EXPECT_EQ(0, gw.stats()["replies"]);
    r = smsctltest::run(dir, {"replies", "list", "--json"});
    for (const char* text : {"\"a\"", "\"b\"", "\"c\""}) {
        const auto first = r.out.find(text);
        EXPECT_NE(std::string::npos, first) << r.out;
        EXPECT_EQ(std::string::npos, r.out.find(text, first + 1)) << r.out;
    }
}

}  // namespace
