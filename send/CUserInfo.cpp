#include "send/CUserInfo.h"

#include <mutex>

namespace SMS {

CUserInfo* CUserInfo::ms_pInstance = nullptr;

CUserInfo* CUserInfo::instance() {
    static std::once_flag once;
    // Never destroyed: the send path reads the user directory until the end.
    std::call_once(once, [] { ms_pInstance = new CUserInfo(); });
    return ms_pInstance;
}

CUserInfo::CUserInfo() : webAddress("https://sms.example.com"), spareValue1(0), spareValue2(0) {}
CUserInfo::CUserInfo(const CUserInfo& other) = default;
CUserInfo& CUserInfo::operator=(const CUserInfo& other) = default;
CUserInfo::~CUserInfo() = default;

}  // namespace SMS
