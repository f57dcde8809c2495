// The two splits of a send by the reject lists.
#include <string>
#include <vector>

#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CRejectPhonesDataSerialize.h"
#include "contracts/dmg/CRejectWordsDataSerialize.h"
#include "send/CSmsSender.h"

namespace SMS {
namespace {

using Elements = std::vector<Dmg::CSendQueueElement>;

Dmg::CRejectPhonesDataSerialize* rejectPhones() {
    return static_cast<Dmg::CRejectPhonesDataSerialize*>(
        Dmg::CDataManager::getSingletonPtr()->getDataSerialize("rejectphones"));
}

Dmg::CRejectWordsDataSerialize* rejectWords() {
    return static_cast<Dmg::CRejectWordsDataSerialize*>(
        Dmg::CDataManager::getSingletonPtr()->getDataSerialize("rejectwords"));
}

// Without a reject list (no user data opened) nothing is on it, as the
// composition object also treats a missing word list.
bool phoneRejected(Dmg::CRejectPhonesDataSerialize* store, const std::string& phone) {
    return store != nullptr && store->testPhone(phone) == 0;
}

// An untested text is rejected when it holds a reject word or is empty.
bool untestedTextRejected(Dmg::CRejectWordsDataSerialize* store, const std::string& text) {
    std::string word;
    if (store != nullptr && store->testWord(text, word) == 0) return true;
    return text.empty();
}

}  // namespace

void CSmsSender::FliterA(const Elements& elements, Elements& sendList, Elements& rejectedList) {
    Dmg::CRejectPhonesDataSerialize* const phones = rejectPhones();
    for (const Dmg::CSendQueueElement& element : elements) {
        (phoneRejected(phones, element.phone) ? rejectedList : sendList).push_back(element);
    }
}

void CSmsSender::FliterB(const Elements& elements, Elements& sendList, Elements& rejectedList) {
    Dmg::CRejectWordsDataSerialize* const words = rejectWords();
    Dmg::CRejectPhonesDataSerialize* const phones = rejectPhones();
    for (const Dmg::CSendQueueElement& element : elements) {
        bool rejected = false;
        if (phoneRejected(phones, element.phone)) {
            rejected = true;
        } else if (element.checkState == 0) {
            rejected = untestedTextRejected(words, element.message);
        } else {
            rejected = element.checkState == -1;
        }
        (rejected ? rejectedList : sendList).push_back(element);
    }
}

}  // namespace SMS
