// Runs the smsgw program as a process on a free port, with its state file in
// a test's temporary folder, and talks to it over HTTP.
#pragma once

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <httplib.h>
#include <nlohmann/json.hpp>

#include "contracts/net/CMessageDigestV.h"
#include "tests/fakes/ChildProcess.h"
#include "tests/fakes/TempDir.h"
#include "tests/fakes/WaitUntil.h"

namespace smsgwtest {

using nlohmann::json;

struct Answer {
    bool arrived = false;  // a whole answer was read
    int status = 0;
    json body = json::object();  // empty unless the body was a JSON object
    std::string retryAfter;
    std::size_t size = 0;
};

// Requests to an smsgw on one port; one per thread.
class Client {
public:
    Client() = default;
    explicit Client(int port) { connect(port); }
    void connect(int port) {
        client_ = std::make_unique<httplib::Client>("127.0.0.1", port);
        client_->set_read_timeout(10, 0);
    }

    Answer call(const std::string& method, const std::string& path, const std::string& body = "",
                const std::string& session = "") {
        httplib::Headers headers;
        if (!session.empty()) headers.emplace("Authorization", "Bearer " + session);
        const auto r = method == "GET" ? client_->Get(path.c_str(), headers)
                                       : client_->Post(path.c_str(), headers, body, "application/json");
        Answer a;
        if (!r) return a;
        a.arrived = true;
        a.status = r->status;
        a.size = r->body.size();
        const json parsed = json::parse(r->body, nullptr, false);
        if (parsed.is_object()) a.body = parsed;
        a.retryAfter = r->get_header_value("Retry-After");
        return a;
    }
    Answer post(const std::string& path, const json& body, const std::string& session = "") {
        return call("POST", path, body.dump(), session);
    }
    std::string login(const std::string& user = "demo") {
        return post("/v1/login", {{"user", user}, {"password", "secret"}}).body.value("session", "");
    }
    json stats() { return call("GET", "/control/stats").body; }

private:
    std::unique_ptr<httplib::Client> client_;
};

// One smsgw process: `--port 0 --state <dir>/state` and `args`.
class Gateway : public Client {
public:
    Gateway(const fakes::TempDir& dir, std::vector<std::string> args, bool startNow = true)
        : dir_(dir), args_(std::move(args)) {
        if (startNow) {
            EXPECT_TRUE(start()) << stderrText();
        }
    }
    ~Gateway() { kill(); }

    // Starts the process again, on `port` (0: any free one); false when it
    // does not come to listen.
    bool start(int port = 0) {
        std::vector<std::string> argv = {SMSGW_BIN, "--port", std::to_string(port), "--state",
                                         dir_.file("state")};
        argv.insert(argv.end(), args_.begin(), args_.end());
        const std::string out = dir_.file("stdout");
        std::remove(out.c_str());
        if (!process_.start(argv, {out}, {dir_.file("stderr"), true})) return false;
        const std::string marker = "listening on 127.0.0.1:";
        std::string text;
        fakes::waitUntil([&] {
            std::ifstream in(out);
            std::getline(in, text);
            return text.find(marker) != std::string::npos || exited();
        });
        if (text.find(marker) == std::string::npos) return false;
        port_ = std::stoi(text.substr(text.find(marker) + marker.size()));
        connect(port_);
        return true;
    }

    // Kills the process (kill -9) and waits for it.
    void kill() { process_.kill(); }
    bool exited() { return !process_.running(); }
    int port() const { return port_; }
    // Of the process that ended by itself; -1 for one killed.
    int exitStatus() { return process_.wait(); }
    std::string stderrText() const {
        std::ifstream in(dir_.file("stderr"));
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    const fakes::TempDir& dir_;
    std::vector<std::string> args_;
    fakes::ChildProcess process_;
    int port_ = 0;
};

inline std::string base64(std::string bytes) {
    std::vector<char> out(4 * ((bytes.size() + 2) / 3) + 1);
    MD5::CMessageDigestV().base64_encode(bytes, static_cast<int>(bytes.size()), out.data());
    return out.data();
}

// The request body of a packet of any of the four classes.
template <class Packet>
json packetBody(const std::string& key, const Packet& p) {
    std::string text;
    p.getPacketT(text);
    return {{"idempotencyKey", key}, {"packet", base64(text)}};
}

}  // namespace smsgwtest
