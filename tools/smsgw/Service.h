// The SMS service the simulator plays: every request of the protocol, with
// its state kept in the journal before each answer, packets judged by an
// embedded gateway, and misbehaviour on purpose when asked for.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <string>

#include <nlohmann/json.hpp>

#include "Faults.h"
#include "HttpServer.h"
#include "Journal.h"
#include "State.h"
#include "contracts/net/CEmbeddedGateway.h"
#include "contracts/net/CNetLogResult.h"

namespace smsgw {

// The embedded gateway's refusal rules.
struct GatewayRules {
    int refuseEveryNth = 0;
    std::string refusedPrefix;
    int outageMs = 0;  // from the moment the rules are set
    int latencyMs = 0;
};

struct ServiceOptions {
    std::string statePath;
    std::string user, password;  // no user: any login is taken
    bool control = false;        // POST /control and GET /control/stats served
    std::size_t compactEvery = 1000;  // records appended at least between two rewrites
    SMS::NET::CNetLogResult terms;
    GatewayRules rules;
    FaultSettings faults;
};

class Service {
public:
    explicit Service(const ServiceOptions& options);
    // Replays the state file, rewrites it compact and gives the gateway back
    // its timed packets; false, with `error`, for a damaged file.
    bool start(std::string& error);
    // Safe from several connection threads at once.
    HttpAnswer handle(const HttpRequest& request);

private:
    // What a request reached, for the misbehaviour after it.
    struct Reached {
        bool protocol = false;    // a request of the protocol, past the refusals on purpose
        bool packetDone = false;  // a packet with a definite answer, kept
    };
    HttpAnswer route(const HttpRequest& request, Reached& reached);
    HttpAnswer login(const nlohmann::json& body);
    HttpAnswer packet(const std::string& user, const nlohmann::json& body, Reached& reached);
    HttpAnswer cancel(const std::string& user, const nlohmann::json& body);
    HttpAnswer contact(const std::string& user, const nlohmann::json& body);
    HttpAnswer replies(const std::string& query);
    HttpAnswer ack(const nlohmann::json& body);
    HttpAnswer balance(const std::string& user);
    HttpAnswer control(const nlohmann::json& body);
    HttpAnswer stats();
    // The user of the request's session; empty when it has none.
    std::string userOf(const HttpRequest& request);
    void applyRules(const GatewayRules& rules);
    // Writes `record` to the journal, then applies it; a state file that
    // cannot be written stops the process (nothing unwritten is answered).
    // m_mutex held.
    void commit(const nlohmann::json& record);

    const ServiceOptions m_options;
    Faults m_faults;  // locks itself
    SMS::NET::CEmbeddedGateway m_gateway;  // locks itself

    // Every member below: read and changed by the connection threads under m_mutex.
    std::mutex m_mutex;
    std::condition_variable m_keyDone;  // an in-flight key was answered
    Journal m_journal;
    State m_state;
    SMS::NET::CNetLogResult m_terms;
    std::set<UserKey> m_inFlight;  // packets at the gateway now
    std::map<std::string, long long> m_reserved;  // per user, segments of packets in flight
    std::random_device m_tokens;
};

// The HTTP status of a result code of the protocol.
int statusOf(int code);
// An answer with `code` (and `error`, or the code's own text) added to `body`.
HttpAnswer answerOf(int code, nlohmann::json body = nlohmann::json::object(),
                    const std::string& error = "");

}  // namespace smsgw
