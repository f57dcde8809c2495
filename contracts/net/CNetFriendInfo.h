// One contact as uploaded to the SMS service: 17 fields in the order the
// service takes them.
#pragma once

#include <string>

#include "contracts/export.h"

namespace SMS::NET {

class NET_API CNetFriendInfo {
public:
    std::string name;
    std::string mobile;
    int sex = 1;  // 2 male, 1 female
    std::string address;
    std::string reserved;  // not kept by the address book: always empty
    std::string email;
    std::string birthday;  // CSmsData::getString()
    std::string company;
    std::string title;
    std::string telephone;
    std::string comment;
    std::string marriage;  // "已婚" / "未婚"
    std::string career;
    std::string postcode;
    std::string spare1;
    std::string spare2;
    std::string spare3;
};

}  // namespace SMS::NET
