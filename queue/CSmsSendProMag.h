// Kept for the interface: a packet sender of an earlier design whose
// operations do nothing.
#pragma once

#include <vector>

#include "contracts/dmg/CSendQueueElement.h"
#include "contracts/export.h"
#include "send/CSmsSendStartInstance.h"  // boost::function, with GCC 12's false alarm silenced

namespace SMS {

class SMS_API CSmsSendProMag {
public:
    // Created on the first call, never destroyed.
    static CSmsSendProMag* instance();

    bool push(const Dmg::CSendQueueElement& element, std::vector<Dmg::CSendQueueElement>& out);
    void setPackSize(const int& size);
    void SendPacket(const std::vector<Dmg::CSendQueueElement>& elements);
    void get(std::vector<Dmg::CSendQueueElement>& out);

    static CSmsSendProMag* ms_pInstance;

    // Held for the caller; the library never calls them.
    boost::function<void()> onPacket;
    boost::function<void()> onDone;
};

}  // namespace SMS
