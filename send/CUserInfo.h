// The logged-in user: the sender strings copied into every send and the
// user directory under which every local database file lives
// (userDir + "/" + "SQu.dll", "HLog.dll", "Main.dll"). The caller fills the
// singleton after login and reads or writes the fields directly.
#pragma once

#include <cstdint>
#include <string>

#include "contracts/export.h"

namespace SMS {

class SMS_API CUserInfo {
public:
    // The process-wide instance, created on the first call, never destroyed.
    static CUserInfo* instance();

    CUserInfo();
    CUserInfo(const CUserInfo& other);
    CUserInfo& operator=(const CUserInfo& other);
    ~CUserInfo();

    static CUserInfo* ms_pInstance;

    std::string senderId;      // first argument of the send-log write, copied into each element
    std::string senderExtra;   // second argument of the send-log write, copied into each element
    std::string userDir;       // without a trailing separator
    std::string spareText1;    // kept for the caller; the library never reads it
    std::string webAddress;    // the service's web site; the library never reads it
    std::string spareText2;    // kept for the caller; the library never reads it
    std::int32_t spareValue1;  // kept for the caller; the library never reads it
    std::int32_t spareValue2;  // kept for the caller; the library never reads it
};

// The path of the user file `name` (userDir + "/" + name); empty while no user
// folder is set, which no store opens (rather than a file in the root folder).
inline std::string userFilePath(const std::string& userDir, const std::string& name) {
    return userDir.empty() ? std::string() : userDir + "/" + name;
}

}  // namespace SMS
