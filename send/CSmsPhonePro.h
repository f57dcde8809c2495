// One recipient of a send as the composition object keeps it: the number, the
// text that goes with it and, when it came from the address book, the contact.
#pragma once

#include <cstdint>
#include <string>

#include "contracts/dmg/CFriend.h"
#include "contracts/export.h"

namespace SMS {

class SMS_API CSmsPhonePro {
public:
    CSmsPhonePro();
    CSmsPhonePro(const CSmsPhonePro& other);
    CSmsPhonePro& operator=(const CSmsPhonePro& other);
    ~CSmsPhonePro();

    // The text given with the number, replaced by the final text when the
    // send is built.
    std::string message;
    // The number exactly as it was added.
    std::string phone;
    // Sized into the small packets at the head of a send.
    bool leading = false;
    bool hasContact = false;
    // Serial number from the process-wide counter: the order of adding.
    std::int32_t id = 0;
    // Default-constructed when no contact is attached.
    Dmg::CFriend contact;
    // 0 untested, 1 tested and clean, -1 rejected by the reject-word test.
    std::int32_t checkState = 0;
};

}  // namespace SMS
