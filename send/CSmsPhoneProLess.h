// Orders recipients by their serial number, that is, in the order they were
// added.
#pragma once

#include "contracts/export.h"
#include "send/CSmsPhonePro.h"

namespace SMS {

class SMS_API CSmsPhoneProLess {
public:
    bool operator()(const CSmsPhonePro& a, const CSmsPhonePro& b) const;
};

}  // namespace SMS
