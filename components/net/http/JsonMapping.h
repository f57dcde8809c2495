// The request bodies the gateway sends and the answer fields it reads, with
// the texts converted between the library's GBK and the wire's UTF-8. A
// reader gives false for an answer it cannot read: a missing or mistyped
// field, a number out of range, a text that has no GBK form.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "contracts/dmg/QueueData.h"
#include "contracts/net/CNetFriendInfo.h"
#include "contracts/net/CNetLogResult.h"
#include "contracts/net/HttpGateway.h"

namespace SMS::NET::http {

using Json = nlohmann::json;

// Bodies; the ones holding texts give false when a text is not GBK.
std::string packetBody(const Dmg::QueueData& packet);
bool loginBody(const std::string& user, const std::string& password, std::string& body);
bool contactBody(const CNetFriendInfo& info, std::string& body);
bool cancelBody(int group, const std::string& keys, std::string& body);
std::string ackBody(std::int64_t upTo);

// The body as JSON; a discarded value when it is not JSON.
Json parseAnswer(const std::string& body);

// The fields every answer has: `code`, and `error` unless the code is 0.
struct Status {
    int code = 0;
    std::string error;  // GBK
};
bool readStatus(const Json& answer, Status& status);

// The fields of a done answer, per request.
bool readLogin(const Json& answer, CNetLogResult& result, std::string& session);
// A refused login's `result` and `message`, where present.
void readLoginRefusal(const Json& answer, CNetLogResult& result);
bool readServiceKey(const Json& answer, bool required, std::string& key);
bool readReplies(const Json& answer, std::vector<HttpGateway::Reply>& replies);
bool readBalance(const Json& answer, std::int32_t& remaining);

}  // namespace SMS::NET::http
