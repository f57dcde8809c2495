// One send as the caller composes it: the recipients (bare numbers, numbers
// with a text of their own, contacts), the common text or template, the
// company signature, the personalisation switch and the timer. The send
// pipeline turns it into one send element per recipient with getSendQueue.
//
// Every recipient is classified by carrier when it is added; only numbers of
// the classes YD, LT, DX and XLT are accepted, and a count per class is kept.
// Recipient ids come from one process-wide counter, so ids also order
// recipients across processors.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "contracts/dmg/CFriend.h"
#include "contracts/dmg/CSendQueueElement.h"
#include "contracts/dmg/CSmsData.h"
#include "contracts/export.h"
#include "send/CSmsPhonePro.h"
#include "send/CSmsPhoneProLess.h"

namespace SMS {

class SMS_API CSmsMsgProcessor {
public:
    using PhoneMap = std::multimap<std::string, CSmsPhonePro>;
    using IdOrderedMap = std::multimap<CSmsPhonePro, std::string, CSmsPhoneProLess>;

    CSmsMsgProcessor();
    CSmsMsgProcessor(const CSmsMsgProcessor& other);
    CSmsMsgProcessor& operator=(const CSmsMsgProcessor& other);
    ~CSmsMsgProcessor();

    // Recipients. Each add returns 1 and sets `id` to the new record's id,
    // or returns -1 (number of no carrier class, or a duplicate when
    // `checkDup` asks) and leaves `id` and the object untouched.
    int addPhone(const std::string& phone, const Dmg::CFriend& contact,
                 const std::string& message, bool checkDup, int& id);
    int addPhone(const std::string& phone, const Dmg::CFriend& contact, bool checkDup, int& id);
    int addPhone(const std::string& phone, const std::string& message, bool checkDup, int& id);
    // A literal text would otherwise bind to the leading-flag overload below
    // (pointer to bool beats the conversion to std::string).
    int addPhone(const std::string& phone, const char* message, bool checkDup, int& id);
    int addPhone(const std::string& phone, const bool& leading, bool checkDup, int& id);
    // The number is the contact's mobile ("手机").
    int addPhone(const Dmg::CFriend& contact, bool checkDup, int& id);
    // Accepts a number already present.
    int addPhoneHistory(const std::string& phone, const std::string& message, int& id);

    // Removes the first entry with this number and id; 1 whether or not one
    // matched.
    int delPhone(std::string phone, int id);
    int delPhone(const Dmg::CFriend& contact, int id);
    // Forget every recipient; text, signature, switch and timer stay.
    int delAllPhone();
    void clear();
    // Attach a contact / a text to every entry with this number; return 1.
    int setPhone(const std::string& phone, const Dmg::CFriend& contact);
    int setPhoneMsg(const std::string& phone, const std::string& message);
    int getPhoneNum(int& yd, int& lt, int& dx, int& xlt) const;

    // Message and options.
    int setSendMsg(const std::string& text);
    std::string getSendMsg() const;
    int getMsgSoureceType() const;
    void setCompanyEnder(const std::string& text);
    void cancleCompanyEnder();
    void setPersonalSms(bool on);
    int setTimer(const Dmg::CSmsData& when);
    int setTimerMsg(bool on);
    int setTimerDetail(const Dmg::CSmsData& when, const int& detail);
    bool isTimerMsg() const;

    // Appends one element per recipient, in the order of adding, after
    // writing each recipient's final text and check state into its record.
    // `check` asks for the reject-word test. 1 when `out` ends non-empty.
    int getSendQueue(std::vector<Dmg::CSendQueueElement>& out, const bool& check);
    // Inserts (record, number) for every recipient into `out`.
    void switchPhoneMapKeyValue(IdOrderedMap& out) const;
    // True when the text holds no reject word.
    bool filterMsg(const std::string& text) const;

    // Byte-string utilities for the caller. urlencode returns a buffer from
    // malloc that the caller releases with free (null when the encoding
    // cannot be allocated or counted in an int). urldecode decodes in place
    // (`buf` has room for `len` + 1 bytes) and returns the new length.
    static char* urlencode(const char* src, int len, int* outLen);
    static int urldecode(char* buf, int len);

protected:
    // Acceptance test: true, with the class counter raised, for a number of a
    // carrier class (and, with `checkDup`, not yet present).
    bool isUnic(const std::string& phone, bool checkDup);
    bool isUnicHistory(const std::string& phone);
    bool isYDPhone(const std::string& phone) const;
    bool isLTPhone(const std::string& phone) const;
    bool isDXPhone(const std::string& phone) const;
    bool isXLTPhone(const std::string& phone) const;

    PhoneMap phoneMap;
    std::int32_t ydCount = 0;
    std::int32_t ltCount = 0;
    std::int32_t dxCount = 0;
    std::int32_t xltCount = 0;
    bool companyEnderOn = false;
    std::string companyEnder;
    bool personalSms = false;
    // 1: every recipient carries its own text; 0 once setSendMsg was called.
    std::int32_t msgSourceType = 1;
    std::string sendMsg;
    std::int32_t timerFlag = 0;
    std::int32_t timerDetail = 0;
    Dmg::CSmsData timerData;

private:
    // The counter of the number's class, or null for a number of no class.
    std::int32_t* classCounter(const std::string& phone);
    // Stores a recipient that passed the acceptance test under the next id.
    int insertRecipient(const std::string& phone, const std::string& message, bool leading,
                        const Dmg::CFriend* contact, int& id);
    // Stage 1: final texts and check states; returns the common-message flag.
    bool composeTexts(bool check);
    void appendElements(std::vector<Dmg::CSendQueueElement>& out, bool common) const;
};

}  // namespace SMS
