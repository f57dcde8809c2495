#include "Terms.h"

#include <cstdint>
#include <utility>

#include "Texts.h"
#include "components/net/http/LoginFields.h"

namespace smsgw {

using SMS::NET::CNetLogResult;
using SMS::NET::http::kLoginNumbers;
using SMS::NET::http::kLoginTexts;

CNetLogResult defaultTerms() {
    CNetLogResult terms;
    terms.message = "登录成功";
    terms.userName = "演示用户";
    terms.accountType = 1;
    terms.remainingSms = 100000;
    return terms;
}

bool setTerm(CNetLogResult& terms, const std::string& name, const nlohmann::json& value) {
    for (const auto& [member, field] : kLoginNumbers) {
        if (name != member) continue;
        if (!value.is_number_integer()) return false;
        const auto number = value.get<long long>();
        if (number < INT32_MIN || number > INT32_MAX) return false;
        terms.*field = static_cast<std::int32_t>(number);
        return true;
    }
    for (const auto& [member, field] : kLoginTexts) {
        if (name != member) continue;
        return value.is_string() && gbkOf(value.get<std::string>(), terms.*field);
    }
    return false;
}

bool setTermText(CNetLogResult& terms, const std::string& assignment) {
    const std::size_t equals = assignment.find('=');
    if (equals == std::string::npos) return false;
    const std::string name = assignment.substr(0, equals), text = assignment.substr(equals + 1);
    for (const auto& [member, field] : kLoginTexts) {
        if (name == member) return setTerm(terms, name, text);
    }
    const nlohmann::json number = nlohmann::json::parse(text, nullptr, false);
    return !number.is_discarded() && setTerm(terms, name, number);
}

nlohmann::json termsJson(const CNetLogResult& terms) {
    nlohmann::json out = nlohmann::json::object();
    for (const auto& [member, field] : kLoginNumbers) out[member] = terms.*field;
    for (const auto& [member, field] : kLoginTexts) out[member] = utf8Of(terms.*field);
    return out;
}

}  // namespace smsgw
