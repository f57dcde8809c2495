// Everything the simulator has answered, rebuilt from the records of its
// journal: each change is first written as a record, then applied here, so a
// restart that replays the journal ends in the same state. The records are
// JSON objects named by "t"; apply() throws (std::exception) on one it
// cannot read.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace smsgw {

using UserKey = std::pair<std::string, std::string>;  // user, idempotency key

// The first definite answer to a packet, kept per user and key.
struct KeptAnswer {
    std::string digest;  // of the packet text sent under the key
    int code = 0;
    std::string error;       // UTF-8
    std::string serviceKey;  // accepted timed packets
};

struct TimedMessage {
    std::string user;
    int group = 0;
    std::string packet;  // Base64, as it came
    long long segments = 0;
    std::string gatewayKey;  // this process's key of it at the embedded gateway
};

struct Reply {
    std::string phone, text, time;  // UTF-8
};

struct State {
    std::map<std::string, std::string> sessions;  // token -> user
    std::map<std::string, long long> balances;    // user -> segments left
    std::map<UserKey, KeptAnswer> answers;
    std::map<UserKey, int> deliveries;            // times the gateway took the packet
    std::map<std::string, TimedMessage> timed;    // by the service key given out
    std::set<std::tuple<std::string, int, std::string>> cancels;  // user, group, keys done
    std::map<std::string, std::map<std::string, nlohmann::json>> contacts;  // user -> mobile ->
    std::map<std::uint64_t, Reply> replies;       // not yet acknowledged, by id
    std::uint64_t nextTimerKey = 1;
    std::uint64_t nextReplyId = 1;

    void apply(const nlohmann::json& record);
    // The records that rebuild this state from nothing.
    std::vector<nlohmann::json> snapshot() const;

    // Records of the changes, as the service writes them.
    static nlohmann::json sessionRecord(const std::string& user, const std::string& token,
                                        const long long* newBalance);
    static nlohmann::json packetRecord(const UserKey& key, const KeptAnswer& answer,
                                       long long balance, const TimedMessage* timed);
    static nlohmann::json cancelRecord(const std::string& user, int group, const std::string& keys,
                                       long long balance);
    static nlohmann::json contactRecord(const std::string& user, const nlohmann::json& contact);
    static nlohmann::json replyRecord(std::uint64_t id, const Reply& reply);
    static nlohmann::json ackRecord(std::uint64_t upTo);
};

// "TM17" -> 17; 0 for any other text.
std::uint64_t timerKeyNumber(const std::string& key);

}  // namespace smsgw
