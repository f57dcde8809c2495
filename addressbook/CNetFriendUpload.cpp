#include "addressbook/CNetFriendUpload.h"

#include <string>

#include "addressbook/MainStore.h"
#include "contracts/base/CLog.h"
#include "contracts/net/CNetInterfaceMag.h"
#include "contracts/platform/Time.h"
#include "send/CUserInfo.h"

namespace SMS {
namespace {

constexpr char kStore[] = "database1";
constexpr char kPassword[] = "Quenp19990812";
constexpr int kBatch = 50;
constexpr unsigned long kPauseMs = 50;
constexpr int kUploaded = 1;

NET::CNetFriendInfo uploadRecord(const Dmg::CFriend& contact) {
    const Dmg::CFriend::FriendData& d = contact.getFirendStrut();
    NET::CNetFriendInfo info;
    info.name = d.name;
    info.mobile = d.mobile;
    info.sex = d.sex ? 2 : 1;
    info.address = d.address;
    info.email = d.email;
    info.birthday = d.birthday.getString();
    info.company = d.company;
    info.title = d.title;
    info.telephone = d.telephone;
    info.comment = d.comment;
    info.marriage = d.marriage ? "已婚" : "未婚";
    info.career = d.career;
    info.postcode = d.postcode;
    info.spare1 = d.spare1;
    info.spare2 = d.spare2;
    info.spare3 = d.spare3;
    return info;
}

// The store's answer to marking one contact; 0 when there is no store.
int markUploaded(const int& contactId) {
    Dmg::CLocalDataSerialize* const store = addressbook::mainStore(kStore);
    return store != nullptr ? store->modifyCommitStatus(contactId, kUploaded) : 0;
}

}  // namespace

void CNetFriendUpload::Upload() {
    Dmg::CLocalDataSerialize* const store = addressbook::mainStore(kStore);
    if (store == nullptr) return;
    store->initialize(userFilePath(CUserInfo::instance()->userDir, "Main.dll"), kPassword);
    std::vector<Dmg::CFriend> batch;
    while (loadFriendInfo(batch)) {
        std::size_t marked = 0;
        for (const Dmg::CFriend& contact : batch) {
            NET::CNetFriendInfo info = uploadRecord(contact);
            NET::CNetInterfaceMag::instance()->sendFriendInfo(info);
            if (markUploaded(contact.getFirendStrut().id) != 0) ++marked;
        }
        if (marked == 0) {
            Base::CLog::getSingletonPtr()->writeMessage(
                "contact upload stopped: " + std::to_string(batch.size()) +
                    " contacts sent but none could be marked as uploaded",
                2);
            break;
        }
        Platform::sleepMs(kPauseMs);
    }
    // Like every other use of a store, the file is not kept open afterwards.
    store->close();
}

bool CNetFriendUpload::loadFriendInfo(std::vector<Dmg::CFriend>& batch) {
    batch.clear();
    Dmg::CLocalDataSerialize* const store = addressbook::mainStore(kStore);
    if (store != nullptr) store->getTopXFriend(kBatch, batch);
    return !batch.empty();
}

void CNetFriendUpload::ModifyStatus(const int& contactId) { markUploaded(contactId); }

}  // namespace SMS
