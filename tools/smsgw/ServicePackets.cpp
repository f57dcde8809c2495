// Packets, timed messages, the start from the state file, and the control
// endpoint for tests.
#include "Service.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>
#include <utility>

#include "Packets.h"
#include "components/net/TimerKeys.h"
#include "Terms.h"
#include "Texts.h"

namespace smsgw {

using nlohmann::json;

namespace {

constexpr std::size_t kMaxKey = 256;

HttpAnswer keptAnswer(const KeptAnswer& a) {
    json body = json::object();
    if (!a.serviceKey.empty()) body["serviceKey"] = a.serviceKey;
    return answerOf(a.code, body, a.error);
}

// The gateway's answer, or the simulator's own for a text that is not
// Base64 (null `bytes`) or a packet the balance cannot pay for.
KeptAnswer judge(SMS::NET::CEmbeddedGateway& gateway, const std::string* bytes,
                 const PacketInfo& info, bool affordable, std::string& gatewayKey) {
    KeptAnswer answer;
    if (bytes == nullptr) {
        answer.code = 2;
        answer.error = u8"数据包不是 Base64";
    } else if (!affordable) {
        answer.code = 3;
        answer.error = u8"余额不足";
    } else {
        const auto result = gateway.send(queueDataOf(*bytes, info));
        answer.code = result.code;
        answer.error = utf8Of(result.errorText);
        gatewayKey = result.serviceKey;
    }
    return answer;
}

}  // namespace

bool Service::start(std::string& error) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_journal.replay(m_options.statePath, [this](const json& r) { m_state.apply(r); }, error) ||
        !m_journal.rewrite(m_state.snapshot(), error)) {
        return false;
    }
    // The gateway of this process has none of the timed packets yet: hand
    // them in again, before any rule is set, and note the keys it gives.
    for (auto& [key, m] : m_state.timed) {
        std::string bytes;
        decodeBase64(m.packet, bytes);
        const auto result = m_gateway.send(queueDataOf(bytes, readPacket(bytes)));
        if (!result.accepted()) {
            error = m_options.statePath + ": timed message " + key + " cannot be read";
            return false;
        }
        m.gatewayKey = result.serviceKey;
    }
    applyRules(m_options.rules);
    return true;
}

HttpAnswer Service::packet(const std::string& user, const json& body, Reached& reached) {
    const auto keyField = body.find("idempotencyKey"), packetField = body.find("packet");
    if (keyField == body.end() || packetField == body.end() || !keyField->is_string() ||
        !packetField->is_string() || keyField->get<std::string>().empty() ||
        keyField->get<std::string>().size() > kMaxKey) {
        return answerOf(2);
    }
    const UserKey key{user, *keyField};
    const std::string& base64 = packetField->get_ref<const std::string&>();
    const std::string digest = sha256Hex(base64);

    std::unique_lock<std::mutex> lock(m_mutex);
    m_keyDone.wait(lock, [&] { return m_inFlight.count(key) == 0; });
    if (const auto kept = m_state.answers.find(key); kept != m_state.answers.end()) {
        if (kept->second.digest != digest) return answerOf(8);
        reached.packetDone = true;
        m_faults.count("repeated");
        return keptAnswer(kept->second);
    }
    // Until answered, a second request with this key waits for the first.
    m_inFlight.insert(key);
    struct Release {
        Service& s;
        std::unique_lock<std::mutex>& lock;
        const UserKey& key;
        ~Release() {
            if (!lock.owns_lock()) lock.lock();
            s.m_inFlight.erase(key);
            s.m_keyDone.notify_all();
        }
    } release{*this, lock, key};
    std::string bytes;
    const bool decoded = decodeBase64(base64, bytes);
    const PacketInfo info = decoded ? readPacket(bytes) : PacketInfo{};
    const long long segments = segmentsOf(info, m_terms);
    const bool affordable = segments <= m_state.balances[user] - m_reserved[user];
    if (affordable) m_reserved[user] += segments;
    lock.unlock();

    // The gateway sleeps its latency in here, with nothing locked.
    std::string gatewayKey;
    KeptAnswer answer = judge(m_gateway, decoded ? &bytes : nullptr, info, affordable, gatewayKey);
    answer.digest = digest;

    lock.lock();
    if (affordable) m_reserved[user] -= segments;
    if (answer.code == 5) {  // transient: judged afresh when tried again
        m_faults.count("transient");
        return answerOf(answer.code, json::object(), answer.error);
    }
    long long balance = m_state.balances[user];
    TimedMessage timer{user, info.group, base64, segments, gatewayKey};
    const bool timed = answer.code == 0 && info.timed;
    if (answer.code == 0) {
        balance -= segments;
        if (timed) answer.serviceKey = "TM" + std::to_string(m_state.nextTimerKey);
    }
    commit(State::packetRecord(key, answer, balance, timed ? &timer : nullptr));
    if (timed) m_state.timed[answer.serviceKey].gatewayKey = gatewayKey;
    m_faults.count(answer.code == 0 ? "accepted" : "refused");
    reached.packetDone = true;
    return keptAnswer(answer);
}

HttpAnswer Service::cancel(const std::string& user, const json& body) {
    const auto group = body.find("group"), keys = body.find("keys");
    if (group == body.end() || keys == body.end() || !group->is_number_integer() ||
        !keys->is_string() || group->get<long long>() < INT32_MIN ||
        group->get<long long>() > INT32_MAX) {
        return answerOf(2);
    }
    const int timerId = *group;
    const std::string& named = keys->get_ref<const std::string&>();
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_state.cancels.count({user, timerId, named}) != 0) return answerOf(0);  // a retry
    // The gateway knows the messages by its own keys; one that is not this
    // user's becomes an empty key, which it refuses.
    std::string gatewayKeys;
    long long refund = 0;
    const std::vector<std::string> parts = SMS::NET::splitTimerKeys(named);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const auto it = m_state.timed.find(parts[i]);
        const bool mine = it != m_state.timed.end() && it->second.user == user;
        if (i > 0) gatewayKeys += ',';
        if (mine) gatewayKeys += it->second.gatewayKey, refund += it->second.segments;
    }
    const auto result = m_gateway.DelTimerMsg(timerId, gatewayKeys);
    if (!result.accepted()) return answerOf(result.code, json::object(), utf8Of(result.errorText));
    commit(State::cancelRecord(user, timerId, named, m_state.balances[user] + refund));
    return answerOf(0);
}

namespace {

// The rules named in `given`, each checked before any is set.
bool readRules(const json& given, std::vector<std::function<void(SMS::NET::CEmbeddedGateway&)>>& set,
               std::string& error) {
    using Gateway = SMS::NET::CEmbeddedGateway;
    for (const auto& [rule, v] : given.items()) {
        const bool count = v.is_number_integer() && v >= 0 && v <= 3600000;
        const int n = count ? v.get<int>() : 0;
        if (rule == "refuseEveryNth" && count) {
            set.push_back([n](Gateway& g) { g.setRefuseEveryNth(n); });
        } else if (rule == "outageMs" && count) {
            set.push_back([n](Gateway& g) { g.setOutage(std::chrono::milliseconds(n)); });
        } else if (rule == "latencyMs" && count) {
            set.push_back([n](Gateway& g) { g.setLatency(std::chrono::milliseconds(n)); });
        } else if (rule == "refusedPrefix" && v.is_string()) {
            const std::string prefix = v;
            set.push_back([prefix](Gateway& g) { g.setRefusedPrefix(prefix); });
        } else {
            error = "bad rule " + rule;
            return false;
        }
    }
    return true;
}

bool readReply(const json& given, Reply& reply, std::string& error) {
    const json phone = given.value("phone", json()), text = given.value("text", json()),
               time = given.value("time", json(localTimeText()));
    std::string gbk;
    if (!phone.is_string() || !text.is_string() || !time.is_string() || !gbkOf(text, gbk)) {
        error = "bad reply";
        return false;
    }
    reply = {phone, text, time};
    return true;
}

}  // namespace

// {"faults": {...}, "rules": {...}, "terms": {...}, "reply": {...}}, each
// part optional; nothing changes unless every part is good.
HttpAnswer Service::control(const json& body) {
    std::vector<std::function<void(SMS::NET::CEmbeddedGateway&)>> rules;
    SMS::NET::CNetLogResult terms;
    Reply reply;
    std::string error;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        terms = m_terms;
    }
    bool good = true;
    for (const auto& [name, value] : body.items()) {
        if (!value.is_object()) {
            good = false;
        } else if (name == "rules") {
            good = readRules(value, rules, error);
        } else if (name == "terms") {
            for (const auto& [term, v] : value.items()) good = good && setTerm(terms, term, v);
        } else if (name == "reply") {
            good = readReply(value, reply, error);
        } else if (name != "faults") {
            good = false;
        }
        if (!good) {
            return answerOf(2, json::object(), error.empty() ? "bad part " + name : error);
        }
    }
    if (body.contains("faults") && !m_faults.update(body["faults"], error)) {
        return answerOf(2, json::object(), error);
    }
    for (const auto& set : rules) set(m_gateway);
    m_gateway.setLoginResult(terms);
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_terms = terms;
    if (body.contains("reply")) commit(State::replyRecord(m_state.nextReplyId, reply));
    return answerOf(0);
}

HttpAnswer Service::stats() {
    json keys = json::object(), balances = json::object(), contacts = json::object();
    const std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& [key, times] : m_state.deliveries) keys[key.first][key.second] = times;
    for (const auto& [user, left] : m_state.balances) balances[user] = left;
    for (const auto& [user, byMobile] : m_state.contacts) contacts[user] = byMobile.size();
    return answerOf(0, {{"delivered", keys},
                        {"totals", m_faults.totals()},
                        {"balances", balances},
                        {"contacts", contacts},
                        {"timed", m_state.timed.size()},
                        {"replies", m_state.replies.size()}});
}

}  // namespace smsgw
