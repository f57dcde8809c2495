// The login terms (the members of the login result) by their names in the
// protocol, for the command line, the control endpoint and the login answer.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "contracts/net/CNetLogResult.h"

namespace smsgw {

// The terms a fresh simulator grants: logged in, 100,000 segments.
SMS::NET::CNetLogResult defaultTerms();
// Sets one member from JSON (a number, or a UTF-8 text for `message` and
// `userName`); false for an unknown name or a value of the wrong type.
bool setTerm(SMS::NET::CNetLogResult& terms, const std::string& name, const nlohmann::json& value);
// "name=value" from the command line.
bool setTermText(SMS::NET::CNetLogResult& terms, const std::string& assignment);
// Every member by name, texts as UTF-8.
nlohmann::json termsJson(const SMS::NET::CNetLogResult& terms);

}  // namespace smsgw
