// Building the send elements of a composed send: final texts, reject-word
// states, then one element per recipient in the order of adding.
#include <algorithm>
#include <string>
#include <vector>

#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CRejectWordsDataSerialize.h"
#include "contracts/net/CMessageDigestV.h"
#include "send/CSendMsg.h"
#include "send/CSmsMsgProcessor.h"
#include "send/CUserInfo.h"

namespace SMS {

namespace {

// What stage 1 decided once for the whole send.
struct Composition {
    CSendMsg templ;
    std::string pure;  // the template without placeholders
    bool pureRead = true;
    bool check = false;
    bool common = true;
    bool enderOk = true;
    bool pureOk = true;
};

// The contact's expanded text, or the pure text with the recipient rejected
// when the template cannot be filled for it: a text with raw placeholders
// must not go out. With `check`, a value put into the text that holds a
// reject word rejects the recipient; when all pass, the state stays untested
// so that the pipeline tests the whole text.
std::string contactText(const CSmsMsgProcessor& processor, const Composition& c,
                        CSmsPhonePro& record) {
    std::string text;
    if (c.templ.getMsg(record.contact, text) != CSendMsg::kExpanded) {
        record.checkState = -1;
        return c.pure;
    }
    if (!c.check) return text;
    if (!c.pureOk || !c.enderOk) {
        record.checkState = -1;
        return text;
    }
    std::vector<std::string> values;
    c.templ.getPersonalInfo(record.contact, values);
    const bool clean = std::all_of(values.begin(), values.end(),
                                   [&](const std::string& v) { return processor.filterMsg(v); });
    if (!clean) record.checkState = -1;
    return text;
}

std::string recipientText(const CSmsMsgProcessor& processor, const Composition& c,
                          const std::string& sendMsg, CSmsPhonePro& record) {
    if (c.common) {
        if (c.check && !c.enderOk) record.checkState = -1;
        return sendMsg;
    }
    // A template that cannot be read is not sent to anyone.
    if (!c.pureRead) {
        record.checkState = -1;
        return c.pure;
    }
    if (!record.hasContact) {
        if (c.check) record.checkState = (c.pureOk && c.enderOk) ? 1 : -1;
        return c.pure;
    }
    return contactText(processor, c, record);
}

// Base64 of the contact's name, empty without a contact or a name.
std::string encodedName(const CSmsPhonePro& record, const MD5::CMessageDigestV& digest) {
    if (!record.hasContact) return std::string();
    std::string name;
    record.contact.getName(name);
    if (name.empty()) return std::string();
    std::vector<char> buffer(2 * name.size() + 3, '\0');
    digest.base64_encode(name, static_cast<int>(name.size()), buffer.data());
    return std::string(buffer.data());
}

}  // namespace

bool CSmsMsgProcessor::filterMsg(const std::string& text) const {
    auto* const store = static_cast<Dmg::CRejectWordsDataSerialize*>(
        Dmg::CDataManager::getSingletonPtr()->getDataSerialize("rejectwords"));
    // Without a reject-word store there is no word to refuse.
    if (store == nullptr) return true;
    std::string word;
    return store->testWord(text, word) != 0;
}

// Every run starts each recipient untested, so that a state left by an
// earlier run (a contact corrected since, a signature changed) does not
// reject a recipient or spare its text the pipeline's test.
bool CSmsMsgProcessor::composeTexts(bool check) {
    Composition c;
    c.check = check;
    c.templ.setMsg(sendMsg);
    c.pureRead = c.templ.getPureMsg(c.pure) != 0;
    // Personalised only when the switch is on and the template holds a
    // placeholder; a template that cannot be read is not sent as it stands.
    c.common = !(personalSms && (!c.pureRead || c.pure.size() != sendMsg.size()));
    c.enderOk = !companyEnderOn || filterMsg(companyEnder);
    c.pureOk = c.common || filterMsg(c.pure);

    for (auto& entry : phoneMap) {
        CSmsPhonePro& record = entry.second;
        record.checkState = 0;
        std::string text = recipientText(*this, c, sendMsg, record);
        if (companyEnderOn) text += companyEnder;
        record.message = std::move(text);
    }
    return c.common;
}

void CSmsMsgProcessor::appendElements(std::vector<Dmg::CSendQueueElement>& out,
                                      bool common) const {
    // Recipients in the order of adding: ids are unique and rising.
    std::vector<const CSmsPhonePro*> ordered;
    ordered.reserve(phoneMap.size());
    for (const auto& entry : phoneMap) ordered.push_back(&entry.second);
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const CSmsPhonePro* a, const CSmsPhonePro* b) { return a->id < b->id; });

    const CUserInfo& user = *CUserInfo::instance();
    const MD5::CMessageDigestV digest;
    out.reserve(out.size() + ordered.size());
    for (const CSmsPhonePro* record : ordered) {
        Dmg::CSendQueueElement element;
        element.phone = record->phone;
        element.leading = record->leading;
        element.timerDetail = timerDetail;
        element.timerFlag = timerFlag;
        element.timerData = timerData;
        element.message = record->message;
        element.checkState = record->checkState;
        element.encodedName = encodedName(*record, digest);
        element.senderId = user.senderId;
        element.senderExtra = user.senderExtra;
        element.commonMsg = common;
        out.push_back(std::move(element));
    }
}

int CSmsMsgProcessor::getSendQueue(std::vector<Dmg::CSendQueueElement>& out, const bool& check) {
    const bool common = msgSourceType == 0 && composeTexts(check);
    appendElements(out, common);
    return out.empty() ? 0 : 1;
}

void CSmsMsgProcessor::switchPhoneMapKeyValue(IdOrderedMap& out) const {
    for (const auto& entry : phoneMap) out.emplace(entry.second, entry.first);
}

}  // namespace SMS
