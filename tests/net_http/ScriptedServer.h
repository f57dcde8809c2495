// A small HTTP service on 127.0.0.1 for the gateway's tests: it answers each
// request with the next step of a script (the last step repeats) and records
// what it was sent.
#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/fakes/Sockets.h"

namespace nethttp {

using Step = std::function<void(const httplib::Request&, httplib::Response&)>;

struct Seen {
    std::string path, body, auth;  // path with its query
    int port = 0;  // the client's end of the connection
};

class ScriptedServer {
public:
    ScriptedServer() {
        fakes::ignoreBrokenPipes();  // a client that hangs up must not end the test
        const auto handle = [this](const httplib::Request& req, httplib::Response& res) { answer(req, res); };
        server_.Get(".*", handle).Post(".*", handle).set_keep_alive_max_count(100000).set_tcp_nodelay(true);
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::yield();
    }
    ~ScriptedServer() {
        stopping_ = true;
        server_.stop();
        thread_.join();
    }

    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_); }
    void script(std::vector<Step> steps) {
        const std::lock_guard<std::mutex> lock(mutex_);
        steps_ = std::move(steps), next_ = 0, seen_.clear();
    }
    std::vector<Seen> seen() const {
        const std::lock_guard<std::mutex> lock(mutex_);
        return seen_;
    }

    // Steps.
    static Step json(int status, std::string body, std::string retryAfter = "") {
        return [=](const httplib::Request&, httplib::Response& res) {
            res.status = status;
            if (!retryAfter.empty()) res.set_header("Retry-After", retryAfter);
            res.set_content(body, "application/json");
        };
    }
    // Headers that promise a body, then the connection is closed.
    static Step drop() {
        return [](const httplib::Request&, httplib::Response& res) {
            res.set_content_provider(100, "application/json",
                                     [](std::size_t, std::size_t, httplib::DataSink&) { return false; });
        };
    }
    // About `total` bytes in chunks with `pause` before each, unless the client leaves.
    Step stream(std::size_t total, std::chrono::milliseconds pause) {
        return [=](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider("application/json", [=](std::size_t offset, httplib::DataSink& sink) {
                const std::string chunk(pause.count() > 0 ? 1 : 64 * 1024, '[');
                std::this_thread::sleep_for(pause);
                if (offset >= total) sink.done();
                return !stopping_ && (offset >= total || sink.write(chunk.data(), chunk.size()));
            });
        };
    }

private:
    void answer(const httplib::Request& req, httplib::Response& res) {
        Step step;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            seen_.push_back({req.target, req.body, req.get_header_value("Authorization"), req.remote_port});
            if (steps_.empty()) return;
            step = steps_[next_ < steps_.size() ? next_++ : steps_.size() - 1];
        }
        step(req, res);
    }

    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    std::atomic<bool> stopping_{false};  // set by the test's thread, read by streams
    // The script and the requests: the test's thread and the server's
    // threads, under mutex_.
    mutable std::mutex mutex_;
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    std::vector<Seen> seen_;
};

}  // namespace nethttp
