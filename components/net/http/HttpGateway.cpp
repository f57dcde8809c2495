// The HTTP gateway: each request runs its attempts through the retry policy,
// carries the session, and turns what came back into a result code and text.
#include "contracts/net/HttpGateway.h"

#include <exception>
#include <mutex>
#include <utility>

#include "components/net/http/HttpTransport.h"
#include "components/net/http/JsonMapping.h"
#include "components/net/http/RetryPolicy.h"
#include "contracts/base/CLog.h"

namespace SMS::NET {
namespace {

using http::Failure;
using http::Json;
using http::Request;
using Reader = std::function<bool(const Json&)>;

constexpr int kTooManyRequests = 9;  // the service's code for a 429

// What one attempt, or a whole request, came to.
struct Attempt {
    bool transient = false;  // another attempt may fare better
    // The request may have been carried out without a definite answer: it
    // timed out or broke after it was sent, or its answer could not be read.
    bool unknown = false;
    long status = 0;  // HTTP status, 0 when no answer came
    CNetSendResultB result;
    std::chrono::milliseconds retryAfter{0};
    std::string body;  // as it came: a parsed one may be too deep to copy safely
};

CNetSendResultB outcome(int code, std::string text) {
    CNetSendResultB result;
    result.code = code;
    result.errorText = std::move(text);
    return result;
}

Attempt transientFailure(const char* text, bool unknown) {
    Attempt a;
    a.transient = true;
    a.unknown = unknown;
    a.result = outcome(CNetSendResultB::kUnavailable, text);
    return a;
}

const char* textOf(Failure failure) {
    switch (failure) {
        case Failure::kConnect:
            return "无法连接服务";
        case Failure::kTimeout:
            return "服务响应超时";
        case Failure::kTooLarge:
            return "服务响应过大，无法读取";
        case Failure::kBadAddress:
            return "服务地址无效";
        default:
            return "服务连接中断";
    }
}

// The code of a definite refusal whose body gave none.
int codeOfStatus(long status) {
    switch (status) {
        case 401:
            return HttpGateway::kNotLoggedIn;
        case 404:
            return CNetSendResultB::kUnknownTimer;
        case 409:
            return HttpGateway::kKeyReused;
        case 422:
            return CNetSendResultB::kRefusedByRule;
        default:
            return CNetSendResultB::kMalformed;
    }
}

void logLine(const std::string& text, int level) {
    Base::CLog::getSingleton().writeMessage(text, level);
}

}  // namespace

struct HttpGateway::Impl {
    explicit Impl(const Options& options) : transport(options), policy(options) {}

    Attempt attempt(const Request& request, const Reader& read);
    Attempt answered(const http::Answer& answer, const Reader& read);
    Attempt withRetries(const Request& request, const Reader& read);
    Attempt call(Request request, const Reader& read);
    CNetLogResult logIn(const std::string& user, const std::string& password);
    bool logInAgain(const std::string& staleSession);
    std::string currentSession();

    http::Transport transport;
    http::RetryPolicy policy;
    // The session and the credentials that made it: set by a login on any
    // thread, read by every request, under mutex.
    std::mutex mutex;
    std::string session;
    std::string user, password;
    bool haveCredentials = false;
    // Held through every login, so threads that met the same expired session
    // log in once.
    std::mutex loginMutex;
};

Attempt HttpGateway::Impl::attempt(const Request& request, const Reader& read) {
    const http::Answer answer = transport.perform(request);
    if (answer.failure == Failure::kNone) return answered(answer, read);
    // Without a connection the service never saw the request.
    const bool unseen =
        answer.failure == Failure::kConnect || answer.failure == Failure::kBadAddress;
    Attempt a = transientFailure(textOf(answer.failure), !unseen);
    a.transient = answer.failure != Failure::kBadAddress;
    return a;
}

// Transient: 5xx, 429, an unreadable 2xx body, the codes 5 and 9. Definite:
// every other 4xx, with the body's code or one for the status. Only 503, 429
// and the codes 5 and 9 say that the request was not carried out.
Attempt HttpGateway::Impl::answered(const http::Answer& answer, const Reader& read) {
    const Json json = http::parseAnswer(answer.body);
    http::Status status;
    const bool readable = http::readStatus(json, status);
    Attempt a;
    if (http::transientStatus(answer.status)) {
        const char* ownText = answer.status == 429 ? "服务请求过多" : "服务暂不可用";
        a = transientFailure(ownText, answer.status != 503 && answer.status != 429);
        if (readable && !status.error.empty()) a.result.errorText = status.error;
        a.retryAfter = answer.retryAfter;
    } else if (answer.status >= 400 && answer.status < 500) {
        a.result = readable && status.code != 0
                       ? outcome(status.code, status.error)
                       : outcome(codeOfStatus(answer.status), "服务拒绝了请求");
    } else if (answer.status < 200 || answer.status >= 300 || !readable) {
        a = transientFailure("服务响应无法读取", true);
    } else if (status.code == CNetSendResultB::kUnavailable || status.code == kTooManyRequests) {
        a = transientFailure("", false);
        a.result.errorText = status.error;
    } else if (status.code != 0) {
        a.result = outcome(status.code, status.error);
    } else if (read && !read(json)) {
        a = transientFailure("服务响应无法读取", true);
    }
    a.status = answer.status;
    a.body = answer.body;
    return a;
}

Attempt HttpGateway::Impl::withRetries(const Request& request, const Reader& read) {
    bool unknown = false;  // some attempt may have been carried out
    try {
        for (int failed = 0;; ++failed) {
            Attempt a = attempt(request, read);
            if (!a.transient) return a;
            unknown = unknown || a.unknown;
            if (failed + 1 >= policy.maxAttempts()) {
                logLine("短信服务请求失败（" + request.path + "，" + std::to_string(failed + 1) +
                            "次）：" + a.result.errorText,
                        2);
                a.result.code = CNetSendResultB::kUnavailable;
                a.unknown = unknown;
                return a;
            }
            const std::chrono::milliseconds wait = policy.wait(failed, a.retryAfter);
            logLine("短信服务请求将重试（" + request.path + "，" + std::to_string(wait.count()) +
                        "毫秒后）：" + a.result.errorText,
                    1);
            policy.pause(wait);
        }
    } catch (const std::exception&) {
        return transientFailure("网关内部错误", true);
    }
}

std::string HttpGateway::Impl::currentSession() {
    const std::lock_guard<std::mutex> lock(mutex);
    return session;
}

Attempt HttpGateway::Impl::call(Request request, const Reader& read) {
    request.session = currentSession();
    Attempt a = withRetries(request, read);
    if (a.status == 401 && logInAgain(request.session)) {
        request.session = currentSession();
        a = withRetries(request, read);
    }
    return a;
}

bool HttpGateway::Impl::logInAgain(const std::string& staleSession) {
    const std::lock_guard<std::mutex> serial(loginMutex);
    std::string name, secret;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (session != staleSession) return !session.empty();  // another thread did it
        if (!haveCredentials) return false;
        name = user, secret = password;
    }
    return logIn(name, secret).result == 0;
}

// Runs with loginMutex held.
CNetLogResult HttpGateway::Impl::logIn(const std::string& name, const std::string& secret) {
    CNetLogResult result;
    std::string body, token;
    if (!http::loginBody(name, secret, body)) {
        result.result = CNetSendResultB::kMalformed;
        result.message = "用户名或密码无法转换";
        return result;
    }
    const Attempt a = withRetries({true, "/v1/login", body, {}}, [&](const Json& answer) {
        return http::readLogin(answer, result, token);
    });
    const std::lock_guard<std::mutex> lock(mutex);
    if (a.result.accepted()) {
        session = token, user = name, password = secret, haveCredentials = true;
        return result;
    }
    CNetLogResult refused;
    refused.result = a.result.code;
    refused.message = a.result.errorText;
    if (a.status == 401) {
        http::readLoginRefusal(http::parseAnswer(a.body), refused);
        session.clear(), user.clear(), password.clear(), haveCredentials = false;
    }
    return refused;
}

HttpGateway::HttpGateway(Options options) : m_impl(std::make_unique<Impl>(options)) {}

HttpGateway::~HttpGateway() = default;

CNetSendResultB HttpGateway::send(const Dmg::QueueData& packet) {
    std::string key;
    const bool timed = packet.timerFlag != 0;
    Attempt a =
        m_impl->call({true, "/v1/packets", http::packetBody(packet), {}},
                     [&](const Json& answer) { return http::readServiceKey(answer, timed, key); });
    if (a.result.accepted()) a.result.serviceKey = key;
    // Another send with the same key learns the outcome: the service keeps
    // its first definite answer per key.
    if (a.result.code == CNetSendResultB::kUnavailable && a.unknown)
        a.result.code = CNetSendResultB::kOutcomeUnknown;
    return a.result;
}

CNetLogResult HttpGateway::login(const std::string& user, const std::string& password) {
    const std::lock_guard<std::mutex> serial(m_impl->loginMutex);
    return m_impl->logIn(user, password);
}

void HttpGateway::sendFriendInfo(const CNetFriendInfo& info) {
    std::string body;
    if (!http::contactBody(info, body)) {
        logLine("联系人上传失败（" + info.mobile + "）：内容不是有效的GBK文本", 2);
        return;
    }
    const Attempt a = m_impl->call({true, "/v1/contacts", body, {}}, nullptr);
    if (!a.result.accepted())
        logLine("联系人上传失败（" + info.mobile + "）：" + a.result.errorText, 2);
}

CNetSendResultB HttpGateway::DelTimerMsg(int group, const std::string& keys) {
    std::string body;
    if (!http::cancelBody(group, keys, body))
        return outcome(CNetSendResultB::kMalformed, "定时信息键无效");
    return m_impl->call({true, "/v1/timers/cancel", body, {}}, nullptr).result;
}

CNetSendResultB HttpGateway::fetchReplies(int max, std::vector<Reply>& out) {
    out.clear();
    std::vector<Reply> read;
    const Request request{false, "/v1/replies?max=" + std::to_string(max < 1 ? 1 : max), {}, {}};
    const Attempt a =
        m_impl->call(request, [&](const Json& answer) { return http::readReplies(answer, read); });
    if (a.result.accepted()) out = std::move(read);
    return a.result;
}

CNetSendResultB HttpGateway::ackReplies(std::int64_t upTo) {
    return m_impl->call({true, "/v1/replies/ack", http::ackBody(upTo), {}}, nullptr).result;
}

CNetSendResultB HttpGateway::balance(std::int32_t& remaining) {
    std::int32_t read = 0;
    const Attempt a = m_impl->call({false, "/v1/balance", {}, {}}, [&](const Json& answer) {
        return http::readBalance(answer, read);
    });
    if (a.result.accepted()) remaining = read;
    return a.result;
}

}  // namespace SMS::NET
