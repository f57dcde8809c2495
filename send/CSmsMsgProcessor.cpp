// Recipients and options of a composed send.
#include "send/CSmsMsgProcessor.h"

#include <atomic>

#include "phone/CPhoneNumMag.h"

namespace SMS {

namespace {

// Ids of every processor in the process, 1 first. Atomic so that adds on two
// processors cannot hand out one id twice.
std::atomic<std::int32_t> g_nextRecipientId{1};

// The contact's mobile number; empty when it cannot be read, which no
// carrier class accepts.
std::string mobileOf(const Dmg::CFriend& contact) {
    std::string number;
    contact.getValue("手机", number);
    return number;
}

}  // namespace

CSmsMsgProcessor::CSmsMsgProcessor() = default;
CSmsMsgProcessor::CSmsMsgProcessor(const CSmsMsgProcessor& other) = default;
CSmsMsgProcessor& CSmsMsgProcessor::operator=(const CSmsMsgProcessor& other) = default;
CSmsMsgProcessor::~CSmsMsgProcessor() = default;

bool CSmsMsgProcessor::isYDPhone(const std::string& phone) const {
    return CPhoneNumMag::inistance()->isYDNumber(phone);
}

bool CSmsMsgProcessor::isLTPhone(const std::string& phone) const {
    return CPhoneNumMag::inistance()->isLTNumber(phone);
}

bool CSmsMsgProcessor::isDXPhone(const std::string& phone) const {
    return CPhoneNumMag::inistance()->isDXNumber(phone);
}

bool CSmsMsgProcessor::isXLTPhone(const std::string& phone) const {
    return CPhoneNumMag::inistance()->isXLTNumber(phone);
}

// The class is that of the first test, in the order YD, LT, DX, XLT, that
// accepts the number.
std::int32_t* CSmsMsgProcessor::classCounter(const std::string& phone) {
    if (isYDPhone(phone)) return &ydCount;
    if (isLTPhone(phone)) return &ltCount;
    if (isDXPhone(phone)) return &dxCount;
    if (isXLTPhone(phone)) return &xltCount;
    return nullptr;
}

bool CSmsMsgProcessor::isUnic(const std::string& phone, bool checkDup) {
    std::int32_t* const counter = classCounter(phone);
    if (counter == nullptr) return false;
    if (checkDup && phoneMap.find(phone) != phoneMap.end()) return false;
    ++*counter;
    return true;
}

bool CSmsMsgProcessor::isUnicHistory(const std::string& phone) { return isUnic(phone, false); }

int CSmsMsgProcessor::insertRecipient(const std::string& phone, const std::string& message,
                                      bool leading, const Dmg::CFriend* contact, int& id) {
    CSmsPhonePro record;
    record.phone = phone;
    record.message = message;
    record.leading = leading;
    record.hasContact = contact != nullptr;
    if (contact != nullptr) record.contact = *contact;
    record.id = g_nextRecipientId.fetch_add(1);
    id = record.id;
    // A new entry goes after those with the same number.
    phoneMap.emplace_hint(phoneMap.upper_bound(phone), phone, std::move(record));
    return 1;
}

int CSmsMsgProcessor::addPhone(const std::string& phone, const Dmg::CFriend& contact,
                               const std::string& message, bool checkDup, int& id) {
    if (!isUnic(phone, checkDup)) return -1;
    return insertRecipient(phone, message, false, &contact, id);
}

int CSmsMsgProcessor::addPhone(const std::string& phone, const Dmg::CFriend& contact,
                               bool checkDup, int& id) {
    if (!isUnic(phone, checkDup)) return -1;
    return insertRecipient(phone, std::string(), false, &contact, id);
}

int CSmsMsgProcessor::addPhone(const std::string& phone, const std::string& message,
                               bool checkDup, int& id) {
    if (!isUnic(phone, checkDup)) return -1;
    return insertRecipient(phone, message, false, nullptr, id);
}

int CSmsMsgProcessor::addPhone(const std::string& phone, const char* message, bool checkDup,
                               int& id) {
    return addPhone(phone, std::string(message != nullptr ? message : ""), checkDup, id);
}

int CSmsMsgProcessor::addPhone(const std::string& phone, const bool& leading, bool checkDup,
                               int& id) {
    if (!isUnic(phone, checkDup)) return -1;
    return insertRecipient(phone, std::string(), leading, nullptr, id);
}

int CSmsMsgProcessor::addPhone(const Dmg::CFriend& contact, bool checkDup, int& id) {
    return addPhone(mobileOf(contact), contact, checkDup, id);
}

int CSmsMsgProcessor::addPhoneHistory(const std::string& phone, const std::string& message,
                                      int& id) {
    if (!isUnicHistory(phone)) return -1;
    return insertRecipient(phone, message, false, nullptr, id);
}

// The number is classified again, so after a prefix moved to another carrier
// the counter lowered is that of the number's class now.
int CSmsMsgProcessor::delPhone(std::string phone, int id) {
    for (auto it = phoneMap.begin(); it != phoneMap.end(); ++it) {
        if (it->first != phone || it->second.id != id) continue;
        phoneMap.erase(it);
        if (std::int32_t* const counter = classCounter(phone)) --*counter;
        break;
    }
    return 1;
}

int CSmsMsgProcessor::delPhone(const Dmg::CFriend& contact, int id) {
    return delPhone(mobileOf(contact), id);
}

int CSmsMsgProcessor::delAllPhone() {
    clear();
    return 1;
}

void CSmsMsgProcessor::clear() {
    ydCount = ltCount = dxCount = xltCount = 0;
    phoneMap.clear();
}

int CSmsMsgProcessor::setPhone(const std::string& phone, const Dmg::CFriend& contact) {
    const auto range = phoneMap.equal_range(phone);
    for (auto it = range.first; it != range.second; ++it) {
        it->second.hasContact = true;
        it->second.contact = contact;
    }
    return 1;
}

int CSmsMsgProcessor::setPhoneMsg(const std::string& phone, const std::string& message) {
    const auto range = phoneMap.equal_range(phone);
    for (auto it = range.first; it != range.second; ++it) it->second.message = message;
    return 1;
}

int CSmsMsgProcessor::getPhoneNum(int& yd, int& lt, int& dx, int& xlt) const {
    yd = ydCount;
    lt = ltCount;
    dx = dxCount;
    xlt = xltCount;
    return 1;
}

int CSmsMsgProcessor::setSendMsg(const std::string& text) {
    msgSourceType = 0;
    sendMsg = text;
    return 1;
}

std::string CSmsMsgProcessor::getSendMsg() const { return sendMsg; }

int CSmsMsgProcessor::getMsgSoureceType() const { return msgSourceType; }

void CSmsMsgProcessor::setCompanyEnder(const std::string& text) {
    companyEnderOn = true;
    companyEnder = text;
}

// The text is kept for a later setCompanyEnder.
void CSmsMsgProcessor::cancleCompanyEnder() { companyEnderOn = false; }

void CSmsMsgProcessor::setPersonalSms(bool on) { personalSms = on; }

int CSmsMsgProcessor::setTimer(const Dmg::CSmsData& when) {
    timerFlag = 1;
    timerDetail = 1;
    timerData = when;
    return 1;
}

int CSmsMsgProcessor::setTimerMsg(bool on) {
    timerFlag = on ? 1 : 0;
    return 1;
}

int CSmsMsgProcessor::setTimerDetail(const Dmg::CSmsData& when, const int& detail) {
    timerFlag = 1;
    timerDetail = detail;
    timerData = when;
    return 1;
}

bool CSmsMsgProcessor::isTimerMsg() const { return timerFlag == 1; }

}  // namespace SMS
