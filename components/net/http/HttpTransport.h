// One HTTP exchange with the service over libcurl: the request goes out, the
// answer comes back with its status, or the failure is named. Easy handles
// (each with its own kept-alive connection) wait in a pool between requests,
// so every thread in a request has one to itself and later requests reuse it.
#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "contracts/net/HttpGateway.h"

namespace SMS::NET::http {

enum class Failure {
    kNone,        // an answer came
    kConnect,     // no connection could be made
    kBroken,      // the connection broke, or the answer was cut short
    kTimeout,     // the connection or the whole exchange took too long
    kTooLarge,    // the answer passed the size limit
    kBadAddress,  // the service's address cannot be used
};

struct Request {
    bool post = false;     // else GET
    std::string path;      // "/v1/login"
    std::string body;      // JSON, sent when post
    std::string session;   // empty: no Authorization header
};

struct Answer {
    Failure failure = Failure::kNone;
    long status = 0;
    std::string body;
    std::chrono::seconds retryAfter{0};  // the Retry-After header, 0 when none
};

class Transport {
public:
    struct Limits {
        long connectMs = 0;
        long requestMs = 0;  // the whole exchange
        std::size_t maxAnswerBytes = 0;
    };

    explicit Transport(const HttpGateway::Options& options);
    ~Transport();
    Transport(const Transport&) = delete;
    Transport& operator=(const Transport&) = delete;

    Answer perform(const Request& request);

private:
    struct Handle;
    std::unique_ptr<Handle> take();
    void giveBack(std::unique_ptr<Handle> handle);

    const std::string m_baseUrl;
    const std::string m_proxy;  // empty: none set
    const Limits m_limits;
    // Handles not in use: taken and given back by any calling thread, under
    // m_mutex.
    std::mutex m_mutex;
    std::vector<std::unique_ptr<Handle>> m_idle;
};

}  // namespace SMS::NET::http
