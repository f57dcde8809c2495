// Kept for the interface: start and stop of an earlier design; sending now
// starts by itself when packets are queued.
#pragma once

#include "contracts/export.h"

namespace SMS {

class SMS_API CSmsSendMag {
public:
    // Created on the first call, never destroyed.
    static CSmsSendMag* instance();

    int SendStart();
    int SendStop();

    static CSmsSendMag* ms_pInstance;
};

}  // namespace SMS
