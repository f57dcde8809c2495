#include "HttpServer.h"

#include <algorithm>
#include <cctype>

namespace smsgw {

namespace {

constexpr std::size_t kMaxHead = 64 * 1024;
constexpr std::size_t kMaxWorkers = 256;
// A body over the limit is still read (and thrown away) up to here, so the
// client, still sending, gets to read the refusal.
constexpr std::size_t kDiscardLimit = 8 * 1024 * 1024;
constexpr int kIdleMs = 60000;  // a keep-alive connection with no request
constexpr int kIoMs = 30000;    // a request or answer that stops moving

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string trim(const std::string& s) {
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

const char* reason(int status) {
    switch (status) {
        case 200: return "OK";
        case 400: return "Bad Request";
        case 401: return "Unauthorized";
        case 404: return "Not Found";
        case 409: return "Conflict";
        case 411: return "Length Required";
        case 413: return "Payload Too Large";
        case 422: return "Unprocessable Entity";
        case 429: return "Too Many Requests";
        case 431: return "Request Header Fields Too Large";
        case 503: return "Service Unavailable";
        default: return "Status";
    }
}

// The request line and headers; false for anything that is not HTTP/1.x.
bool parseHead(const std::string& head, HttpRequest& req, bool& http11) {
    std::size_t lineEnd = head.find("\r\n");
    const std::string line = head.substr(0, lineEnd);
    const std::size_t s1 = line.find(' '), s2 = line.rfind(' ');
    if (s1 == std::string::npos || s1 == s2) return false;
    req.method = line.substr(0, s1);
    const std::string target = line.substr(s1 + 1, s2 - s1 - 1), version = line.substr(s2 + 1);
    if (version != "HTTP/1.1" && version != "HTTP/1.0") return false;
    if (target.empty() || target[0] != '/') return false;
    http11 = version == "HTTP/1.1";
    const std::size_t question = target.find('?');
    req.path = target.substr(0, question);
    if (question != std::string::npos) req.query = target.substr(question + 1);
    while (lineEnd != std::string::npos) {
        const std::size_t start = lineEnd + 2;
        lineEnd = head.find("\r\n", start);
        const std::string h = head.substr(start, lineEnd - start);
        const std::size_t colon = h.find(':');
        if (colon == std::string::npos || colon == 0) return false;
        req.headers[lower(h.substr(0, colon))] = trim(h.substr(colon + 1));
    }
    return true;
}

bool parseLength(const std::string& text, std::size_t& length) {
    if (text.empty() || text.size() > 18 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    length = std::stoull(text);
    return true;
}

HttpAnswer refusal(int status, const std::string& why) {
    HttpAnswer a;
    a.status = status;
    a.body = "{\"code\":2,\"error\":\"" + why + "\"}";
    return a;
}

}  // namespace

std::string HttpRequest::header(const std::string& lowercaseName) const {
    const auto it = headers.find(lowercaseName);
    return it == headers.end() ? std::string() : it->second;
}

HttpServer::HttpServer(Handler handler, Logger logger, std::size_t maxBody)
    : handler_(std::move(handler)), logger_(std::move(logger)), maxBody_(maxBody) {}

HttpServer::~HttpServer() {
    stop();
    reap(true);
    sock::close(listener_);
}

bool HttpServer::listen(const std::string& host, int port, std::string& error) {
    if (port < 0 || port > 65535 || !sock::isIPv4(host)) {
        error = "not an IPv4 address and port: " + host + ":" + std::to_string(port);
        return false;
    }
    if (!stopping_.open(error)) return false;
    std::string why;
    listener_ = sock::listen(host, port, port_, why);
    if (listener_ == sock::kNone) {
        error = "cannot listen on " + host + ":" + std::to_string(port) + ": " + why;
        return false;
    }
    return true;
}

void HttpServer::run() {
    for (;;) {
        sock::PollEntry fds[2] = {{listener_, sock::kIn}, {stopping_.handle(), sock::kIn}};
        const int ready = sock::poll(fds, 2, 1000);
        reap(false);
        if (ready == sock::kFailed || fds[1].revents != 0) break;
        if (ready <= 0 || (fds[0].revents & sock::kIn) == 0) continue;
        const sock::Handle fd = sock::accept(listener_);
        if (fd == sock::kNone) continue;
        if (workers_.size() >= kMaxWorkers) {
            sock::close(fd);
            continue;
        }
        auto done = std::make_shared<std::atomic<bool>>(false);
        workers_.push_back({std::thread([this, fd, done] {
                                serve(fd);
                                done->store(true);
                            }),
                            done});
    }
    reap(true);
}

void HttpServer::stop() { stopping_.wake(); }

void HttpServer::reap(bool all) {
    for (auto it = workers_.begin(); it != workers_.end();) {
        if (all || it->done->load()) {
            it->thread.join();
            it = workers_.erase(it);
        } else {
            ++it;
        }
    }
}

void HttpServer::serve(sock::Handle fd) {
    std::string buffer;
    bool keepAlive = true;
    while (keepAlive && serveOne(fd, buffer, keepAlive)) {
    }
    sock::close(fd);
}

bool HttpServer::serveOne(sock::Handle fd, std::string& buffer, bool& keepAlive) {
    std::size_t headEnd;
    while ((headEnd = buffer.find("\r\n\r\n")) == std::string::npos) {
        if (buffer.size() > kMaxHead) break;
        if (!waitFor(fd, sock::kIn, buffer.empty() ? kIdleMs : kIoMs)) return false;
        char chunk[16384];
        const long n = sock::receive(fd, chunk, sizeof chunk);
        if (n == sock::kAgain) continue;
        if (n <= 0) return false;
        buffer.append(chunk, static_cast<std::size_t>(n));
    }
    const auto started = std::chrono::steady_clock::now();
    HttpRequest req;
    // The server's own refusals end the connection: what follows on it cannot be trusted.
    const auto refuse = [&](int status, const std::string& why) {
        const HttpAnswer answer = refusal(status, why);
        deliver(fd, answer, false);
        logger_(req, answer, std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - started));
        return false;
    };
    if (headEnd == std::string::npos) return refuse(431, u8"请求头过大");
    bool http11 = true;
    const bool parsed = parseHead(buffer.substr(0, headEnd), req, http11);
    buffer.erase(0, headEnd + 4);
    if (!parsed) return refuse(400, u8"请求格式错误");
    const std::string connection = lower(req.header("connection"));
    keepAlive = http11 ? connection != "close" : connection == "keep-alive";
    if (!req.header("transfer-encoding").empty()) return refuse(411, u8"请求体须有 Content-Length");
    std::size_t length = 0;
    const std::string lengthText = req.header("content-length");
    if (!lengthText.empty() && !parseLength(lengthText, length)) {
        return refuse(400, u8"Content-Length 无效");
    }
    const bool expects = lower(req.header("expect")) == "100-continue";
    if (length > maxBody_) {
        if (!expects && length <= kDiscardLimit) readBody(fd, buffer, length, req.body);
        req.body.clear();
        return refuse(413, u8"请求体超过 1 MiB");
    }
    if (expects && length > buffer.size()) {
        static const char kContinue[] = "HTTP/1.1 100 Continue\r\n\r\n";
        if (!sendAll(fd, kContinue, sizeof kContinue - 1)) return false;
    }
    if (!readBody(fd, buffer, length, req.body)) return false;
    const HttpAnswer answer = handler_(req);
    const bool goOn = deliver(fd, answer, keepAlive);
    logger_(req, answer, std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - started));
    return goOn;
}

bool HttpServer::readBody(sock::Handle fd, std::string& buffer, std::size_t length,
                          std::string& body) {
    while (buffer.size() < length) {
        if (!waitFor(fd, sock::kIn, kIoMs)) return false;
        char chunk[65536];
        const long n = sock::receive(fd, chunk, std::min(sizeof chunk, length - buffer.size()));
        if (n == sock::kAgain) continue;
        if (n <= 0) return false;
        buffer.append(chunk, static_cast<std::size_t>(n));
    }
    body = buffer.substr(0, length);
    buffer.erase(0, length);
    return true;
}

bool HttpServer::deliver(sock::Handle fd, const HttpAnswer& answer, bool keepAlive) {
    using Delivery = HttpAnswer::Delivery;
    if (answer.delayMs > 0 && !sleepUnlessStopped(answer.delayMs)) return false;
    if (answer.delivery == Delivery::Drop) return false;
    std::size_t length = answer.body.size();
    if (answer.delivery == Delivery::Oversized) length = std::max(length, answer.oversizeBytes);
    const bool goOn = keepAlive && answer.delivery != Delivery::Truncated;
    std::string head = "HTTP/1.1 " + std::to_string(answer.status) + " " +
                       reason(answer.status) +
                       "\r\nContent-Type: application/json\r\nContent-Length: " +
                       std::to_string(length) + "\r\nConnection: " +
                       (goOn ? "keep-alive" : "close") + "\r\n";
    for (const auto& [name, value] : answer.headers) head += name + ": " + value + "\r\n";
    head += "\r\n";
    switch (answer.delivery) {
        case Delivery::Truncated:
            head += answer.body.substr(0, answer.body.size() / 2);
            sendAll(fd, head.data(), head.size());
            return false;
        case Delivery::Drip:
            if (!sendAll(fd, head.data(), head.size())) return false;
            for (const char c : answer.body) {
                if (!sleepUnlessStopped(answer.dripMs) || !sendAll(fd, &c, 1)) return false;
            }
            return goOn;
        case Delivery::Oversized: {
            head += answer.body;
            if (!sendAll(fd, head.data(), head.size())) return false;
            // Blanks after the JSON keep it valid: only its size is wrong.
            const std::string blanks(64 * 1024, ' ');
            for (std::size_t left = length - answer.body.size(); left > 0;) {
                const std::size_t n = std::min(left, blanks.size());
                if (!sendAll(fd, blanks.data(), n)) return false;
                left -= n;
            }
            return goOn;
        }
        default:
            head += answer.body;
            return sendAll(fd, head.data(), head.size()) && goOn;
    }
}

bool HttpServer::waitFor(sock::Handle fd, short events, int timeoutMs) const {
    for (;;) {
        sock::PollEntry fds[2] = {{fd, events}, {stopping_.handle(), sock::kIn}};
        const int ready = sock::poll(fds, 2, timeoutMs);
        if (ready == sock::kAgain) continue;
        if (ready <= 0 || fds[1].revents != 0) return false;
        return fds[0].revents != 0;
    }
}

bool HttpServer::sleepUnlessStopped(int ms) const {
    sock::PollEntry stop = {stopping_.handle(), sock::kIn};
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            until - std::chrono::steady_clock::now());
        if (left.count() <= 0) return true;
        const int ready = sock::poll(&stop, 1, static_cast<int>(left.count()));
        if (ready > 0) return false;
    }
}

bool HttpServer::sendAll(sock::Handle fd, const char* data, std::size_t size) const {
    while (size > 0) {
        if (!waitFor(fd, sock::kOut, kIoMs)) return false;
        const long n = sock::send(fd, data, size);
        if (n == sock::kAgain) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace smsgw
