// JSON bodies of the protocol and the GBK <-> UTF-8 conversion of their texts.
#include "components/net/http/JsonMapping.h"

#include <openssl/evp.h>

#include <climits>
#include <limits>

#include "components/net/http/LoginFields.h"
#include "contracts/platform/CodePage.h"

namespace SMS::NET::http {
namespace {

// Never throws: every text put in was converted to valid UTF-8 first.
std::string dump(const Json& json) { return json.dump(-1, ' ', false, Json::error_handler_t::replace); }

std::string base64(const std::string& bytes) {
    std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(&out[0]),
                                  reinterpret_cast<const unsigned char*>(bytes.data()),
                                  static_cast<int>(bytes.size()));
    out.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
    return out;
}

// Puts `gbk` under `key` as UTF-8; false when it is not GBK.
bool putText(Json& json, const char* key, const std::string& gbk) {
    std::string utf8;
    if (!Platform::gbkToUtf8(gbk, utf8)) return false;
    json[key] = std::move(utf8);
    return true;
}

// The member `key` of an object, or null when absent.
const Json* member(const Json& object, const char* key) {
    if (!object.is_object()) return nullptr;
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

bool readInt(const Json& value, std::int64_t low, std::int64_t high, std::int64_t& out) {
    if (value.is_number_unsigned()) {
        const std::uint64_t v = value.get<std::uint64_t>();
        if (v > static_cast<std::uint64_t>(high)) return false;
        out = static_cast<std::int64_t>(v);
        return out >= low;
    }
    if (!value.is_number_integer()) return false;
    out = value.get<std::int64_t>();
    return out >= low && out <= high;
}

bool readInt32(const Json& value, std::int32_t& out) {
    std::int64_t v = 0;
    if (!readInt(value, INT32_MIN, INT32_MAX, v)) return false;
    out = static_cast<std::int32_t>(v);
    return true;
}

bool readText(const Json& value, std::string& gbk) {
    return value.is_string() && Platform::utf8ToGbk(value.get_ref<const std::string&>(), gbk);
}

// A member that may be absent; when present it must read.
bool optionalInt32(const Json& object, const char* key, std::int32_t& out) {
    const Json* value = member(object, key);
    return value == nullptr || readInt32(*value, out);
}

bool optionalText(const Json& object, const char* key, std::string& gbk) {
    const Json* value = member(object, key);
    return value == nullptr || readText(*value, gbk);
}

// The text members of an uploaded contact (sex is a number).
const struct {
    const char* key;
    std::string CNetFriendInfo::*field;
} kContactTexts[] = {
    {"name", &CNetFriendInfo::name},         {"mobile", &CNetFriendInfo::mobile},
    {"address", &CNetFriendInfo::address},   {"reserved", &CNetFriendInfo::reserved},
    {"email", &CNetFriendInfo::email},       {"birthday", &CNetFriendInfo::birthday},
    {"company", &CNetFriendInfo::company},   {"title", &CNetFriendInfo::title},
    {"telephone", &CNetFriendInfo::telephone}, {"comment", &CNetFriendInfo::comment},
    {"marriage", &CNetFriendInfo::marriage}, {"career", &CNetFriendInfo::career},
    {"postcode", &CNetFriendInfo::postcode}, {"spare1", &CNetFriendInfo::spare1},
    {"spare2", &CNetFriendInfo::spare2},     {"spare3", &CNetFriendInfo::spare3},
};

}  // namespace

std::string packetBody(const Dmg::QueueData& packet) {
    Json json;
    json["idempotencyKey"] = std::to_string(packet.packetId) + ":" + std::to_string(packet.recordId);
    json["packet"] = base64(packet.packetText);
    return dump(json);
}

bool loginBody(const std::string& user, const std::string& password, std::string& body) {
    Json json;
    if (!putText(json, "user", user) || !putText(json, "password", password)) return false;
    body = dump(json);
    return true;
}

bool contactBody(const CNetFriendInfo& info, std::string& body) {
    Json json;
    for (const auto& text : kContactTexts) {
        if (!putText(json, text.key, info.*text.field)) return false;
    }
    json["sex"] = info.sex;
    body = dump(json);
    return true;
}

bool cancelBody(int group, const std::string& keys, std::string& body) {
    Json json;
    json["group"] = group;
    if (!putText(json, "keys", keys)) return false;
    body = dump(json);
    return true;
}

std::string ackBody(std::int64_t upTo) {
    Json json;
    json["upTo"] = upTo;
    return dump(json);
}

Json parseAnswer(const std::string& body) { return Json::parse(body, nullptr, false); }

bool readStatus(const Json& answer, Status& status) {
    const Json* code = member(answer, "code");
    if (code == nullptr || !readInt32(*code, status.code)) return false;
    status.error.clear();
    const Json* error = member(answer, "error");
    if (status.code == 0) return error == nullptr || readText(*error, status.error);
    return error != nullptr && readText(*error, status.error);
}

bool readLogin(const Json& answer, CNetLogResult& result, std::string& session) {
    const Json* token = member(answer, "session");
    if (token == nullptr || !token->is_string() || token->get_ref<const std::string&>().empty()) {
        return false;
    }
    session = token->get<std::string>();
    // A session goes into a header line: no control characters.
    for (const char c : session) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    }
    CNetLogResult read;
    for (const auto& [key, field] : kLoginNumbers) {
        if (!optionalInt32(answer, key, read.*field)) return false;
    }
    for (const auto& [key, field] : kLoginTexts) {
        if (!optionalText(answer, key, read.*field)) return false;
    }
    result = std::move(read);
    return true;
}

void readLoginRefusal(const Json& answer, CNetLogResult& result) {
    std::int32_t code = 0;
    if (optionalInt32(answer, "result", code) && code != 0) result.result = code;
    std::string message;
    if (member(answer, "message") != nullptr && optionalText(answer, "message", message)) {
        result.message = std::move(message);
    }
}

bool readServiceKey(const Json& answer, bool required, std::string& key) {
    key.clear();
    const Json* value = member(answer, "serviceKey");
    if (value == nullptr) return !required;
    return readText(*value, key) && !(required && key.empty());
}

bool readReplies(const Json& answer, std::vector<HttpGateway::Reply>& replies) {
    const Json* list = member(answer, "replies");
    if (list == nullptr || !list->is_array()) return false;
    std::vector<HttpGateway::Reply> read;
    read.reserve(list->size());
    for (const Json& item : *list) {
        HttpGateway::Reply reply;
        const Json *id = member(item, "id"), *phone = member(item, "phone");
        const Json *text = member(item, "text"), *time = member(item, "time");
        if (id == nullptr || phone == nullptr || text == nullptr || time == nullptr ||
            !readInt(*id, 0, std::numeric_limits<std::int64_t>::max(), reply.id) ||
            !readText(*phone, reply.phone) || !readText(*text, reply.text) || !readText(*time, reply.time)) {
            return false;
        }
        read.push_back(std::move(reply));
    }
    replies = std::move(read);
    return true;
}

bool readBalance(const Json& answer, std::int32_t& remaining) {
    const Json* value = member(answer, "remainingSms");
    return value != nullptr && readInt32(*value, remaining);
}

}  // namespace SMS::NET::http
