// Runs the smsgw program as a process on a free port, with its state file in
// a test's temporary folder, and talks to it over HTTP.
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <fcntl.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <httplib.h>
#include <nlohmann/json.hpp>

#include "contracts/net/CMessageDigestV.h"
#include "tests/fakes/TempDir.h"
#include "tests/fakes/WaitUntil.h"

extern char** environ;

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
    ~Gateway() { kill(SIGKILL); }

    // Starts the process again, on `port` (0: any free one); false when it
    // does not come to listen.
    bool start(int port = 0) {
        std::vector<std::string> argv = {SMSGW_BIN, "--port", std::to_string(port), "--state",
                                         dir_.file("state")};
        argv.insert(argv.end(), args_.begin(), args_.end());
        std::vector<char*> raw;
        for (auto& a : argv) raw.push_back(a.data());
        raw.push_back(nullptr);
        const std::string out = dir_.file("stdout"), err = dir_.file("stderr");
        std::remove(out.c_str());
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        const int spawned = posix_spawn(&pid_, SMSGW_BIN, &files, nullptr, raw.data(), environ);
        posix_spawn_file_actions_destroy(&files);
        if (spawned != 0) return false;
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

    // Sends `signal` and waits for the process; its exit status.
    int kill(int signal) {
        if (pid_ <= 0) return -1;
        ::kill(pid_, signal);
        int raw = 0;
        waitpid(pid_, &raw, 0);
        pid_ = -1;
        return raw;
    }
    bool exited() {
        if (pid_ > 0 && waitpid(pid_, &status_, WNOHANG) == pid_) pid_ = -1;
        return pid_ <= 0;
    }
    int port() const { return port_; }
    int exitStatus() const { return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1; }
    std::string stderrText() const {
        std::ifstream in(dir_.file("stderr"));
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    const fakes::TempDir& dir_;
    std::vector<std::string> args_;
    pid_t pid_ = -1;
    int status_ = 0;  // of the process that exited
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
