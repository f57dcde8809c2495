#include "send/CSmsSendStartInstance.h"

#include <mutex>
#include <utility>

#include "contracts/base/CLog.h"
#include "contracts/base/StringConverter.h"
#include "phone/CPhoneNumMag.h"
#include "send/CSendMsg.h"

namespace SMS {
namespace {

// The service hands out timed packets of this size, whatever the login says.
constexpr std::int32_t kTimedPackSize = 300;

// Takes `value` into `field` when it is at least 1. A smaller value would
// divide by zero or stop the packing from advancing: the field keeps its
// value and the refusal is logged.
void takeAtLeastOne(std::int32_t& field, std::int32_t value, const char* name) {
    if (value >= 1) {
        field = value;
        return;
    }
    using Base::StringConverter;
    Base::CLog::getSingleton().writeMessage(std::string("登录设置无效, 未采用: ") + name + "=" +
                                                StringConverter::toString(value) + ", 保留 " +
                                                StringConverter::toString(field),
                                            2);
}

}  // namespace

CSmsSendStartInstance* CSmsSendStartInstance::ms_pInstance = nullptr;

CSmsSendStartInstance* CSmsSendStartInstance::Instance() {
    static std::once_flag once;
    // Never destroyed: the sending thread reads the settings until the end.
    std::call_once(once, [] { ms_pInstance = new CSmsSendStartInstance(); });
    return ms_pInstance;
}

// The limits before the first login equal the default balance, and the
// leading run gets small packets, as a login usually gives.
CSmsSendStartInstance::CSmsSendStartInstance()
    : sendFinished(false),
      mobileCharsPerSms(10),
      unicomCharsPerSms(10),
      telecomCharsPerSms(10),
      phsCharsPerSms(10),
      timedPackSize(70),
      packSize(70),
      packetPauseMs(300),
      remainingSms(100),
      firstPackSize(10),
      maxSendCount(100),
      maxTimedSendCount(100),
      reservedValue(1),
      packetIdSalt(0),
      filterContent(1) {}

CSmsSendStartInstance::CSmsSendStartInstance(const CSmsSendStartInstance& other) = default;
CSmsSendStartInstance& CSmsSendStartInstance::operator=(const CSmsSendStartInstance& other) =
    default;
CSmsSendStartInstance::~CSmsSendStartInstance() = default;

void CSmsSendStartInstance::setNetConfigData(const SMS::NET::CNetLogResult& login,
                                             const SMS::NET::CNetConfigData& /*config*/) {
    takeAtLeastOne(mobileCharsPerSms, login.mobileCharsPerSms, "mobileCharsPerSms");
    takeAtLeastOne(unicomCharsPerSms, login.unicomCharsPerSms, "unicomCharsPerSms");
    takeAtLeastOne(telecomCharsPerSms, login.telecomCharsPerSms, "telecomCharsPerSms");
    takeAtLeastOne(phsCharsPerSms, login.phsCharsPerSms, "phsCharsPerSms");
    remainingSms = login.remainingSms;
    packetPauseMs = login.packetPauseMs;
    timedPackSize = kTimedPackSize;
    takeAtLeastOne(packSize, login.packSize, "packSize");
    takeAtLeastOne(firstPackSize, login.firstPackSize, "firstPackSize");
    maxTimedSendCount = login.maxTimedSendCount;
    maxSendCount = login.maxSendCount;
    packetIdSalt = login.packetIdSalt;
    filterContent = login.filterContent;
}

int CSmsSendStartInstance::getSmsSplitNum(const std::vector<std::string>& phones,
                                          std::vector<std::string> messages) const {
    if (phones.size() != messages.size()) return 0;
    int total = 0;
    for (std::size_t i = 0; i < phones.size(); ++i) total += segmentCount(phones[i], messages[i]);
    return total;
}

int CSmsSendStartInstance::getSmsSplitNum(
    const std::vector<Dmg::CSendQueueElement>& elements) const {
    std::vector<std::string> phones;
    std::vector<std::string> messages;
    phones.reserve(elements.size());
    messages.reserve(elements.size());
    for (const Dmg::CSendQueueElement& element : elements) {
        phones.push_back(element.phone);
        messages.push_back(element.message);
    }
    return getSmsSplitNum(phones, std::move(messages));
}

int CSmsSendStartInstance::segmentCount(const std::string& phone,
                                        const std::string& message) const {
    const std::int32_t perSms = charsPerSmsOf(phone);
    if (perSms == 0) return 0;
    const int chars = CSendMsg().getMsgWord(message);
    return chars / perSms + (chars % perSms != 0 ? 1 : 0);
}

// The carrier's characters per SMS, asked in the order YD, LT, DX, XLT; 0
// for a number of no class. A value below 1 (set by hand) counts as 1.
std::int32_t CSmsSendStartInstance::charsPerSmsOf(const std::string& phone) const {
    const CPhoneNumMag& numbers = *CPhoneNumMag::inistance();
    std::int32_t perSms = 0;
    if (numbers.isYDNumber(phone)) {
        perSms = mobileCharsPerSms;
    } else if (numbers.isLTNumber(phone)) {
        perSms = unicomCharsPerSms;
    } else if (numbers.isDXNumber(phone)) {
        perSms = telecomCharsPerSms;
    } else if (numbers.isXLTNumber(phone)) {
        perSms = phsCharsPerSms;
    } else {
        return 0;
    }
    return perSms < 1 ? 1 : perSms;
}

}  // namespace SMS
