// User data shared by the pipeline benchmarks: a fresh folder with a
// 5,000-word reject list and a 10,000-number reject-phone list (every tenth
// recipient of the run is on it), and settings that let any send through.
#pragma once

#include <random>
#include <string>
#include <vector>

#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CRejectPhonesDataSerialize.h"
#include "contracts/dmg/CRejectWordsDataSerialize.h"
#include "contracts/dmg/CSendQueueSerialize.h"
#include "send/CSmsMsgProcessor.h"
#include "send/CSmsSendStartInstance.h"
#include "send/CUserInfo.h"
#include "tests/fakes/TempDir.h"

namespace pipebench {

inline std::string number(int i) { return std::to_string(13800000000LL + i); }

inline std::string characters(std::mt19937& rng, unsigned count) {
    std::string out;
    for (unsigned i = 0; i < count; ++i) {
        out += static_cast<char>(0xB0 + rng() % 40);
        out += static_cast<char>(0xA1 + rng() % 94);
    }
    return out;
}

class UserData {
public:
    UserData() {
        auto& data = Dmg::CDataManager::getSingleton();
        ok_ = data.openUserData(dir_.path()) == 1;
        std::mt19937 rng(7);
        std::vector<std::string> phones;
        for (int i = 0; i < 5000; ++i) words_.push_back(characters(rng, 2 + rng() % 3));
        for (int i = 0; i < 10000; ++i) phones.push_back(number(i * 10));
        ok_ = ok_ && words()->setRejectWords(words_) == 1 &&
              static_cast<Dmg::CRejectPhonesDataSerialize*>(data.getDataSerialize("rejectphones"))
                      ->setRejectPhones(phones) == 1;
        SMS::CUserInfo::instance()->userDir = dir_.path();
        auto& s = *SMS::CSmsSendStartInstance::Instance();
        s.maxSendCount = s.maxTimedSendCount = 2000000000;
        s.packSize = s.firstPackSize = 70;
        s.filterContent = 1;
        s.onSendPrepared = [] {};
    }
    ~UserData() { Dmg::CDataManager::getSingleton().closeUserData(); }
    UserData(const UserData&) = delete;
    UserData& operator=(const UserData&) = delete;

    bool ok() const { return ok_; }
    const std::vector<std::string>& wordList() const { return words_; }
    std::string queueFile() const { return dir_.file("SQu.dll"); }

    // Empties the queue again between runs.
    void clearQueue(const std::vector<Dmg::QueueData>& packets) const {
        std::vector<int> ids;
        for (const auto& p : packets) ids.push_back(p.recordId);
        Dmg::CSendQueueSerialize queue;
        queue.initialize(queueFile(), "Quenp19990812");
        queue.delQueue(ids);
        queue.close();
    }

private:
    static Dmg::CRejectWordsDataSerialize* words() {
        return static_cast<Dmg::CRejectWordsDataSerialize*>(
            Dmg::CDataManager::getSingleton().getDataSerialize("rejectwords"));
    }
    fakes::TempDir dir_;
    std::vector<std::string> words_;
    bool ok_ = false;
};

inline SMS::CSmsMsgProcessor commonSend(int recipients) {
    SMS::CSmsMsgProcessor p;
    int id = 0;
    for (int i = 0; i < recipients; ++i) p.addPhone(number(i), std::string(), false, id);
    p.setSendMsg("尊敬的客户，本周六门店全场八折，欢迎光临。");
    p.setCompanyEnder("【百货】");
    return p;
}

}  // namespace pipebench
