#include "send/CSmsPhonePro.h"

#include "send/CSmsPhoneProLess.h"

namespace SMS {

CSmsPhonePro::CSmsPhonePro() = default;
CSmsPhonePro::CSmsPhonePro(const CSmsPhonePro& other) = default;
CSmsPhonePro& CSmsPhonePro::operator=(const CSmsPhonePro& other) = default;
CSmsPhonePro::~CSmsPhonePro() = default;

bool CSmsPhoneProLess::operator()(const CSmsPhonePro& a, const CSmsPhonePro& b) const {
    return a.id < b.id;
}

}  // namespace SMS
