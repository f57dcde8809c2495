#include "queue/CSmsSendMag.h"

#include <mutex>

namespace SMS {

CSmsSendMag* CSmsSendMag::ms_pInstance = nullptr;

CSmsSendMag* CSmsSendMag::instance() {
    static std::once_flag once;
    std::call_once(once, [] { ms_pInstance = new CSmsSendMag(); });
    return ms_pInstance;
}

int CSmsSendMag::SendStart() { return 1; }
int CSmsSendMag::SendStop() { return 1; }

}  // namespace SMS
