#include "queue/CSmsSendProMag.h"

#include <mutex>

namespace SMS {

CSmsSendProMag* CSmsSendProMag::ms_pInstance = nullptr;

CSmsSendProMag* CSmsSendProMag::instance() {
    static std::once_flag once;
    std::call_once(once, [] { ms_pInstance = new CSmsSendProMag(); });
    return ms_pInstance;
}

bool CSmsSendProMag::push(const Dmg::CSendQueueElement&, std::vector<Dmg::CSendQueueElement>&) { return true; }
void CSmsSendProMag::setPackSize(const int&) {}
void CSmsSendProMag::SendPacket(const std::vector<Dmg::CSendQueueElement>&) {}
void CSmsSendProMag::get(std::vector<Dmg::CSendQueueElement>&) {}

}  // namespace SMS
