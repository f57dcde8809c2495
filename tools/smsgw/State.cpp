#include "State.h"

#include <algorithm>
#include <stdexcept>

#include "components/net/TimerKeys.h"

namespace smsgw {

using nlohmann::json;

namespace {

void setBalance(State& s, const json& r) {
    if (r.contains("balance")) s.balances[r.at("user").get<std::string>()] = r.at("balance").get<long long>();
}

void addTimer(State& s, const std::string& key, const std::string& user, const json& t) {
    TimedMessage m;
    m.user = user;
    m.group = t.at("group").get<int>();
    m.packet = t.at("packet").get<std::string>();
    m.segments = t.at("segments").get<long long>();
    s.timed[key] = std::move(m);
    s.nextTimerKey = std::max(s.nextTimerKey, timerKeyNumber(key) + 1);
}

void applyPacket(State& s, const json& r) {
    const UserKey key{r.at("user").get<std::string>(), r.at("key").get<std::string>()};
    KeptAnswer& a = s.answers[key];
    a.digest = r.at("digest").get<std::string>();
    a.code = r.at("code").get<int>();
    a.error = r.at("error").get<std::string>();
    a.serviceKey = r.at("serviceKey").get<std::string>();
    const int delivered = r.contains("delivered") ? r.at("delivered").get<int>() : a.code == 0;
    if (delivered > 0) s.deliveries[key] += delivered;
    setBalance(s, r);
    if (r.contains("timer")) addTimer(s, a.serviceKey, key.first, r.at("timer"));
}

void applyCancel(State& s, const json& r) {
    const std::string user = r.at("user").get<std::string>(), keys = r.at("keys").get<std::string>();
    for (const std::string& k : SMS::NET::splitTimerKeys(keys)) s.timed.erase(k);
    s.cancels.emplace(user, r.at("group").get<int>(), keys);
    setBalance(s, r);
}

json timerJson(const TimedMessage& m) {
    return {{"group", m.group}, {"packet", m.packet}, {"segments", m.segments}};
}

}  // namespace

void State::apply(const json& r) {
    const std::string type = r.at("t").get<std::string>();
    if (type == "counters") {
        nextTimerKey = std::max(nextTimerKey, r.at("nextTimerKey").get<std::uint64_t>());
        nextReplyId = std::max(nextReplyId, r.at("nextReplyId").get<std::uint64_t>());
    } else if (type == "account") {
        setBalance(*this, r);
    } else if (type == "session") {
        sessions[r.at("session").get<std::string>()] = r.at("user").get<std::string>();
        setBalance(*this, r);
    } else if (type == "packet") {
        applyPacket(*this, r);
    } else if (type == "timer") {
        addTimer(*this, r.at("key").get<std::string>(), r.at("user").get<std::string>(), r);
    } else if (type == "cancel") {
        applyCancel(*this, r);
    } else if (type == "contact") {
        const json& c = r.at("contact");
        contacts[r.at("user").get<std::string>()][c.at("mobile").get<std::string>()] = c;
    } else if (type == "reply") {
        const std::uint64_t id = r.at("id").get<std::uint64_t>();
        replies[id] = {r.at("phone").get<std::string>(), r.at("text").get<std::string>(),
                       r.at("time").get<std::string>()};
        nextReplyId = std::max(nextReplyId, id + 1);
    } else if (type == "ack") {
        const std::uint64_t upTo = r.at("upTo").get<std::uint64_t>();
        replies.erase(replies.begin(), replies.upper_bound(upTo));
    } else {
        throw std::runtime_error("unknown record " + type);
    }
}

std::vector<json> State::snapshot() const {
    std::vector<json> out;
    out.push_back({{"t", "counters"}, {"nextTimerKey", nextTimerKey}, {"nextReplyId", nextReplyId}});
    for (const auto& [user, balance] : balances) {
        out.push_back({{"t", "account"}, {"user", user}, {"balance", balance}});
    }
    for (const auto& [token, user] : sessions) out.push_back(sessionRecord(user, token, nullptr));
    for (const auto& [key, answer] : answers) {
        json r = packetRecord(key, answer, 0, nullptr);
        r.erase("balance");
        const auto d = deliveries.find(key);
        r["delivered"] = d == deliveries.end() ? 0 : d->second;
        out.push_back(std::move(r));
    }
    for (const auto& [key, m] : timed) {
        json r = timerJson(m);
        r["t"] = "timer", r["key"] = key, r["user"] = m.user;
        out.push_back(std::move(r));
    }
    for (const auto& [user, group, keys] : cancels) {
        out.push_back({{"t", "cancel"}, {"user", user}, {"group", group}, {"keys", keys}});
    }
    for (const auto& [user, byMobile] : contacts) {
        for (const auto& [mobile, contact] : byMobile) out.push_back(contactRecord(user, contact));
    }
    for (const auto& [id, reply] : replies) out.push_back(replyRecord(id, reply));
    return out;
}

json State::sessionRecord(const std::string& user, const std::string& token,
                          const long long* newBalance) {
    json r = {{"t", "session"}, {"user", user}, {"session", token}};
    if (newBalance != nullptr) r["balance"] = *newBalance;
    return r;
}

json State::packetRecord(const UserKey& key, const KeptAnswer& a, long long balance,
                         const TimedMessage* timed) {
    json r = {{"t", "packet"},    {"user", key.first},   {"key", key.second},
              {"digest", a.digest}, {"code", a.code},     {"error", a.error},
              {"serviceKey", a.serviceKey}, {"balance", balance}};
    if (timed != nullptr) r["timer"] = timerJson(*timed);
    return r;
}

json State::cancelRecord(const std::string& user, int group, const std::string& keys,
                         long long balance) {
    return {{"t", "cancel"}, {"user", user}, {"group", group}, {"keys", keys}, {"balance", balance}};
}

json State::contactRecord(const std::string& user, const json& contact) {
    return {{"t", "contact"}, {"user", user}, {"contact", contact}};
}

json State::replyRecord(std::uint64_t id, const Reply& reply) {
    return {{"t", "reply"}, {"id", id}, {"phone", reply.phone}, {"text", reply.text},
            {"time", reply.time}};
}

json State::ackRecord(std::uint64_t upTo) { return {{"t", "ack"}, {"upTo", upTo}}; }

std::uint64_t timerKeyNumber(const std::string& key) {
    if (key.size() < 3 || key.size() > 21 || key.compare(0, 2, "TM") != 0 ||
        key.find_first_not_of("0123456789", 2) != std::string::npos) {
        return 0;
    }
    return std::stoull(key.substr(2));
}

}  // namespace smsgw
