// A gateway that reaches a real SMS service over HTTP (docs/protocol.md):
// keep-alive connections, timeouts, retries of transient failures with
// exponential backoff, and the service's answers mapped onto the result codes
// and GBK texts of the network library. Safe to call from several threads.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "contracts/dmg/QueueData.h"
#include "contracts/export.h"
#include "contracts/net/CNetFriendInfo.h"
#include "contracts/net/CNetLogResult.h"
#include "contracts/net/CNetSendResultB.h"
#include "contracts/net/IGateway.h"

namespace SMS::NET {

class NET_API HttpGateway : public IGateway {
public:
    // Codes of this gateway beyond those of CNetSendResultB.
    enum Code : int {
        kNotLoggedIn = 7,  // no session, or the service refused the login
        kKeyReused = 8,    // the idempotency key was used for another packet
    };

    struct Options {
        std::string baseUrl;  // "http://host:port", no trailing "/v1"
        // "http://host:port" of an HTTP proxy every request goes through;
        // empty: none (the environment's http_proxy is not used).
        std::string proxy;
        std::chrono::milliseconds connectTimeout{3000};
        std::chrono::milliseconds requestTimeout{10000};  // the whole exchange
        std::size_t maxAnswerBytes = 1024 * 1024;  // a longer answer is unreadable
        // Retries of transient failures: the n-th wait (from 0) is drawn from
        // [d/2, d] with d = min(cap, base * factor^n); a Retry-After of the
        // service, up to retryAfterCap, lengthens it.
        int maxAttempts = 4;
        std::chrono::milliseconds backoffBase{100};
        double backoffFactor = 2.0;
        std::chrono::milliseconds backoffCap{5000};
        std::chrono::milliseconds retryAfterCap{60000};
        std::uint64_t jitterSeed = 0;  // 0: seeded from the system
        // How a wait between attempts is spent, on the requesting thread;
        // empty: that thread sleeps.
        std::function<void(std::chrono::milliseconds)> sleep;
    };

    // One reply a phone sent, its texts in GBK.
    struct Reply {
        std::int64_t id = 0;
        std::string phone;
        std::string text;
        std::string time;  // "2026-12-07 09:30:00"
    };

    explicit HttpGateway(Options options);
    ~HttpGateway() override;

    // Sends the packet text in Base64 with the key "<packetId>:<recordId>".
    CNetSendResultB send(const Dmg::QueueData& packet) override;
    // Logs in and keeps the session for the other requests; a request the
    // service answers with 401 logs in again once with these credentials.
    CNetLogResult login(const std::string& user, const std::string& password) override;
    // A failed upload is logged.
    void sendFriendInfo(const CNetFriendInfo& info) override;
    CNetSendResultB DelTimerMsg(int group, const std::string& keys) override;

    // The oldest replies not yet acknowledged, at most `max`; `out` is
    // replaced (empty unless the code is 0).
    CNetSendResultB fetchReplies(int max, std::vector<Reply>& out);
    // Acknowledges every reply up to and including id `upTo`.
    CNetSendResultB ackReplies(std::int64_t upTo);
    // The balance in segments; `remaining` is set only when the code is 0.
    CNetSendResultB balance(std::int32_t& remaining);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace SMS::NET
