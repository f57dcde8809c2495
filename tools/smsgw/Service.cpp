// Routing, sessions and the requests around the packets.
#include "Service.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "Terms.h"
#include "Texts.h"

namespace smsgw {

using nlohmann::json;

namespace {

constexpr std::size_t kMaxReplies = 500;  // per answer, so that it stays well under 1 MiB

const char* defaultText(int code) {
    switch (code) {
        case 2: return u8"请求无法读取";
        case 3: return u8"服务拒绝了该请求";
        case 5: return u8"服务暂不可用";
        case 6: return u8"定时信息不存在";
        case 7: return u8"未登录";
        case 8: return u8"幂等键已用于另一个数据包";
        case 9: return u8"请求过多，请稍后再试";
        default: return u8"请求失败";
    }
}

}  // namespace

int statusOf(int code) {
    switch (code) {
        case 0: return 200;
        case 2: return 400;
        case 3:
        case 4: return 422;
        case 5: return 503;
        case 6: return 404;
        case 7: return 401;
        case 8: return 409;
        case 9: return 429;
        default: return 500;
    }
}

HttpAnswer answerOf(int code, json body, const std::string& error) {
    body["code"] = code;
    if (code != 0) body["error"] = error.empty() ? defaultText(code) : error;
    HttpAnswer a;
    a.status = statusOf(code);
    a.body = body.dump(-1, ' ', false, json::error_handler_t::replace);
    return a;
}

Service::Service(const ServiceOptions& options)
    : m_options(options), m_faults(options.faults), m_terms(options.terms) {
    m_gateway.setLoginResult(m_terms);
}

void Service::applyRules(const GatewayRules& rules) {
    m_gateway.setRefuseEveryNth(rules.refuseEveryNth);
    m_gateway.setRefusedPrefix(rules.refusedPrefix);
    m_gateway.setOutage(std::chrono::milliseconds(rules.outageMs));
    m_gateway.setLatency(std::chrono::milliseconds(rules.latencyMs));
}

void Service::commit(const json& record) {
    if (!m_journal.append(record)) {
        std::fprintf(stderr, "smsgw: cannot write the state file %s: stopping\n",
                     m_options.statePath.c_str());
        std::_Exit(1);
    }
    m_state.apply(record);
    // Rewritten once the appended records outnumber the rewritten ones, so
    // that rewriting costs a constant share of the writing however big the state.
    const std::size_t appended = m_journal.appendedSinceRewrite();
    if (appended >= m_options.compactEvery && appended >= m_journal.rewrittenRecords()) {
        std::string error;
        if (!m_journal.rewrite(m_state.snapshot(), error)) {
            std::fprintf(stderr, "smsgw: %s: stopping\n", error.c_str());
            std::_Exit(1);
        }
    }
}

HttpAnswer Service::handle(const HttpRequest& request) {
    Reached reached;
    HttpAnswer answer;
    try {
        answer = route(request, reached);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "smsgw: %s %s failed: %s\n", request.method.c_str(),
                     request.path.c_str(), e.what());
        return answerOf(5);
    }
    if (!reached.protocol) return answer;
    const FaultSettings s = m_faults.settings();
    answer.delayMs = s.delayMs;
    using Delivery = HttpAnswer::Delivery;
    if (reached.packetDone && m_faults.roll(&FaultSettings::drop)) {
        answer.delivery = Delivery::Drop;
        m_faults.count("dropped");
    } else if (m_faults.roll(&FaultSettings::truncate)) {
        answer.delivery = Delivery::Truncated;
        m_faults.count("truncated");
    } else if (m_faults.roll(&FaultSettings::oversize)) {
        answer.delivery = Delivery::Oversized;
        answer.oversizeBytes = s.oversizeBytes;
        m_faults.count("oversized");
    } else if (m_faults.roll(&FaultSettings::drip)) {
        answer.delivery = Delivery::Drip;
        answer.dripMs = s.dripMs;
        m_faults.count("dripped");
    }
    return answer;
}

HttpAnswer Service::route(const HttpRequest& req, Reached& reached) {
    m_faults.count("requests");
    const bool get = req.method == "GET", post = req.method == "POST";
    const std::string& path = req.path;
    const auto bodyOf = [&req](json& body) {
        body = json::parse(req.body, nullptr, false);
        return !body.is_discarded() && body.is_object();
    };
    json body;
    if (m_options.control && path == "/control" && post) {
        return bodyOf(body) ? control(body) : answerOf(2);
    }
    if (m_options.control && path == "/control/stats" && get) return stats();
    const bool known = (post && (path == "/v1/login" || path == "/v1/packets" ||
                                 path == "/v1/timers/cancel" || path == "/v1/contacts" ||
                                 path == "/v1/replies/ack")) ||
                       (get && (path == "/v1/replies" || path == "/v1/balance"));
    if (!known) {
        HttpAnswer a = answerOf(2, json::object(), u8"没有这个请求");
        a.status = 404;
        return a;
    }
    if (m_faults.roll(&FaultSettings::tooMany)) {
        m_faults.count("tooMany");
        HttpAnswer a = answerOf(9);
        a.headers.emplace_back("Retry-After", std::to_string(m_faults.settings().retryAfter));
        return a;
    }
    if (m_faults.roll(&FaultSettings::unavailable)) {
        m_faults.count("unavailable");
        return answerOf(5);
    }
    reached.protocol = true;
    if (post && !bodyOf(body)) return answerOf(2);
    if (path == "/v1/login") return login(body);
    const std::string user = userOf(req);
    if (user.empty()) return answerOf(7);
    if (path == "/v1/packets") return packet(user, body, reached);
    if (path == "/v1/timers/cancel") return cancel(user, body);
    if (path == "/v1/contacts") return contact(user, body);
    if (path == "/v1/replies/ack") return ack(body);
    if (path == "/v1/replies") return replies(req.query);
    return balance(user);
}

std::string Service::userOf(const HttpRequest& req) {
    const std::string auth = req.header("authorization");
    if (auth.compare(0, 7, "Bearer ") != 0) return {};
    const std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_state.sessions.find(auth.substr(7));
    return it == m_state.sessions.end() ? std::string() : it->second;
}

HttpAnswer Service::login(const json& body) {
    const auto user = body.find("user"), password = body.find("password");
    if (user == body.end() || password == body.end() || !user->is_string() ||
        !password->is_string() || user->get<std::string>().empty()) {
        return answerOf(2);
    }
    SMS::NET::CNetLogResult terms = m_gateway.login(*user, *password);
    if (!m_options.user.empty() &&
        (*user != m_options.user || *password != m_options.password)) {
        terms.result = 1;
        terms.message = "用户名或密码错误";
    }
    if (terms.result != 0) {
        const std::string message = utf8Of(terms.message);
        return answerOf(7, {{"result", terms.result}, {"message", message}}, message);
    }
    const std::lock_guard<std::mutex> lock(m_mutex);
    std::string token;
    do {
        char text[24];
        std::snprintf(text, sizeof text, "s-%08x%08x", m_tokens(), m_tokens());
        token = text;
    } while (m_state.sessions.count(token) != 0);
    const auto known = m_state.balances.find(*user);
    const long long balance = known != m_state.balances.end() ? known->second : terms.remainingSms;
    commit(State::sessionRecord(*user, token, known == m_state.balances.end() ? &balance : nullptr));
    json out = termsJson(terms);
    out["session"] = token;
    out["remainingSms"] = balance;
    return answerOf(0, out);
}

HttpAnswer Service::balance(const std::string& user) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return answerOf(0, {{"remainingSms", m_state.balances[user]}});
}

HttpAnswer Service::contact(const std::string& user, const json& body) {
    static const char* const kTexts[] = {
        "name",    "mobile",   "address",   "reserved", "email",   "birthday",
        "company", "title",    "telephone", "comment",  "marriage", "career",
        "postcode", "spare1",  "spare2",    "spare3"};
    if (body.size() != 17 || !body.contains("sex") || !body["sex"].is_number_integer()) {
        return answerOf(2);
    }
    for (const char* const name : kTexts) {
        std::string gbk;
        if (!body.contains(name) || !body[name].is_string() || !gbkOf(body[name], gbk)) {
            return answerOf(2, json::object(), std::string(u8"联系人字段无效：") + name);
        }
    }
    if (body["mobile"].get<std::string>().empty()) return answerOf(2);
    const std::lock_guard<std::mutex> lock(m_mutex);
    commit(State::contactRecord(user, body));
    return answerOf(0);
}

HttpAnswer Service::replies(const std::string& query) {
    std::size_t max = kMaxReplies;
    for (std::size_t start = 0; start <= query.size();) {
        const std::size_t end = std::min(query.find('&', start), query.size());
        const std::string pair = query.substr(start, end - start);
        if (pair.compare(0, 4, "max=") == 0) {
            const std::string n = pair.substr(4);
            if (n.empty() || n.size() > 9 || n.find_first_not_of("0123456789") != std::string::npos ||
                std::stoul(n) == 0) {
                return answerOf(2);
            }
            max = std::min<std::size_t>(std::stoul(n), kMaxReplies);
        }
        start = end + 1;
    }
    json list = json::array();
    const std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& [id, r] : m_state.replies) {
        if (list.size() == max) break;
        list.push_back({{"id", id}, {"phone", r.phone}, {"text", r.text}, {"time", r.time}});
    }
    return answerOf(0, {{"replies", list}});
}

HttpAnswer Service::ack(const json& body) {
    const auto upTo = body.find("upTo");
    if (upTo == body.end() || !upTo->is_number_unsigned()) return answerOf(2);
    const std::lock_guard<std::mutex> lock(m_mutex);
    commit(State::ackRecord(upTo->get<std::uint64_t>()));
    return answerOf(0);
}

}  // namespace smsgw
