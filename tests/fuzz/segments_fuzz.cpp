// Character and segment counting of a send. Fields (FuzzFields.h): the
// characters per SMS of the four carrier classes (one signed byte each, so
// values below 1 occur), then numbers and messages in turns. A message counts
// one per GBK character (a stray byte counts one); a message costs its
// characters divided by its carrier's characters per SMS, rounded up, and a
// send the sum. Built by GCC: the code under test holds GBK literals.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "contracts/dmg/CSendQueueElement.h"
#include "tests/fuzz/FuzzFields.h"
#include "phone/CPhoneNumMag.h"
#include "send/CSendMsg.h"
#include "send/CSmsSendStartInstance.h"

namespace {

// The characters per SMS of `phone`'s class, or 0 for a number of none.
int perSmsOf(const SMS::CSmsSendStartInstance& s, const std::string& phone) {
    const SMS::CPhoneNumMag& numbers = *SMS::CPhoneNumMag::inistance();
    std::int32_t perSms = 0;
    if (numbers.isYDNumber(phone)) {
        perSms = s.mobileCharsPerSms;
    } else if (numbers.isLTNumber(phone)) {
        perSms = s.unicomCharsPerSms;
    } else if (numbers.isDXNumber(phone)) {
        perSms = s.telecomCharsPerSms;
    } else if (numbers.isXLTNumber(phone)) {
        perSms = s.phsCharsPerSms;
    } else {
        return 0;
    }
    return perSms < 1 ? 1 : perSms;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> fields = fuzz::splitFields(data, size);
    if (fields.empty()) return 0;
    SMS::CSmsSendStartInstance settings;
    std::int32_t* const perSms[] = {&settings.mobileCharsPerSms, &settings.unicomCharsPerSms,
                                    &settings.telecomCharsPerSms, &settings.phsCharsPerSms};
    for (std::size_t i = 0; i < fields[0].size() && i < 4; ++i) {
        *perSms[i] = static_cast<signed char>(fields[0][i]);
    }

    std::vector<std::string> phones, messages;
    std::vector<Dmg::CSendQueueElement> elements;
    int total = 0;
    const SMS::CSendMsg counter;
    for (std::size_t i = 1; i + 1 < fields.size(); i += 2) {
        const std::string& phone = fields[i];
        const std::string& message = fields[i + 1];
        const int chars = static_cast<int>(fuzz::GbkBoundaries(message).count);
        fuzz::require(counter.getMsgWord(message) == chars, "one per GBK character");
        const int per = perSmsOf(settings, phone);
        const int segments = per == 0 ? 0 : (chars + per - 1) / per;
        fuzz::require(settings.segmentCount(phone, message) == segments,
                      "characters over characters per SMS, rounded up");
        total += segments;
        phones.push_back(phone);
        messages.push_back(message);
        elements.emplace_back();
        elements.back().phone = phone;
        elements.back().message = message;
    }
    fuzz::require(settings.getSmsSplitNum(phones, messages) == total, "a send costs the sum");
    fuzz::require(settings.getSmsSplitNum(elements) == total, "elements cost the same");
    if (!messages.empty()) {
        messages.pop_back();
        fuzz::require(settings.getSmsSplitNum(phones, messages) == 0, "unequal lists cost 0");
    }
    return 0;
}
