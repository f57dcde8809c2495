// A small HTTP/1.1 server of its own, so that the simulator controls every
// byte on the wire: it can close a connection before any answer, cut a body
// short or drip it out. One thread per connection, keep-alive, bodies with
// Content-Length only (up to a limit), answers with Content-Length.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "Socket.h"

namespace smsgw {

struct HttpRequest {
    std::string method, path, query;
    std::map<std::string, std::string> headers;  // names in lowercase
    std::string body;

    std::string header(const std::string& lowercaseName) const;
};

struct HttpAnswer {
    enum class Delivery {
        Whole,
        Drop,       // nothing: the connection closes
        Truncated,  // half the body, then the connection closes
        Oversized,  // the body padded to oversizeBytes with blanks
        Drip,       // the body one byte at a time, dripMs apart
    };
    int status = 200;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;  // besides the usual ones
    Delivery delivery = Delivery::Whole;
    std::size_t oversizeBytes = 0;
    int dripMs = 0;
    int delayMs = 0;  // before anything is written
};

class HttpServer {
public:
    using Handler = std::function<HttpAnswer(const HttpRequest&)>;
    // Called once per request after its answer went out (or did not).
    using Logger = std::function<void(const HttpRequest&, const HttpAnswer&,
                                      std::chrono::milliseconds took)>;

    HttpServer(Handler handler, Logger logger, std::size_t maxBody);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    bool listen(const std::string& host, int port, std::string& error);
    int port() const { return port_; }
    // Serves until stop(); then every connection closes and its thread ends.
    void run();
    // Async-signal-safe.
    void stop();

private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;  // set by the worker, read by run()
    };
    void serve(sock::Handle socket);
    bool serveOne(sock::Handle socket, std::string& buffer, bool& keepAlive);
    bool readBody(sock::Handle socket, std::string& buffer, std::size_t length, std::string& body);
    bool deliver(sock::Handle socket, const HttpAnswer& answer, bool keepAlive);
    // Waits until `socket` is ready for `events` (sock::kIn, sock::kOut) or
    // the server stops; false then or after the time out.
    bool waitFor(sock::Handle socket, short events, int timeoutMs) const;
    bool sleepUnlessStopped(int ms) const;
    bool sendAll(sock::Handle socket, const char* data, std::size_t size) const;
    void reap(bool all);

    const Handler handler_;
    const Logger logger_;
    const std::size_t maxBody_;
    sock::Handle listener_ = sock::kNone;
    int port_ = 0;
    // Woken by stop() and never read again, so every thread polling it sees
    // the server stopping.
    sock::Waker stopping_;
    std::list<Worker> workers_;  // run()'s thread only
};

}  // namespace smsgw
