#include <climits>
#include <memory>

#include "components/data/engine/Key.h"
#include "components/data/stores/ContactTable.h"
#include "components/data/stores/FriendGroupTable.h"
#include "components/data/stores/LocalImpl.h"
#include "components/data/stores/LocalSendLog.h"
#include "components/data/stores/LocalSettings.h"
#include "contracts/base/CLog.h"
#include "contracts/dmg/CLocalDataSerialize.h"
#include "contracts/platform/FilePath.h"
#include "contracts/platform/Time.h"

namespace Dmg {
namespace {

using local::logFailure;

// Names one database file: its canonical path and the random salt written
// when it was created, so a file replaced at the same path is a new file.
std::string fileKey(const std::string& path) {
    std::string salt;
    engine::readSalt(path, salt);
    return Platform::canonicalPath(path) + '\n' + salt;
}

CSmsData localTimeNow() {
    const Platform::SystemTime now = Platform::getLocalTime();
    return CSmsData(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute);
}

}  // namespace

namespace {

int search(CLocalDataSerialize::Impl& impl, const std::string& column,
           const local::SearchValue& value, std::vector<CFriend>& out) {
    return impl.with("selectFriend", [&](engine::Connection& db) {
        return local::selectContacts(db, column, value, out);
    });
}

}  // namespace

CLocalDataSerialize::CLocalDataSerialize() : impl_(std::make_unique<Impl>()) {}
CLocalDataSerialize::~CLocalDataSerialize() = default;

int CLocalDataSerialize::initialize(const std::string& path, const std::string& password) {
    if (!impl_->open(path, password)) {
        impl_->db.close();
        impl_->settings.reset();
        logFailure("cannot open " + path);
        return 0;
    }
    impl_->settings = local::SettingsCache::forFile(fileKey(path));
    return 1;
}

int CLocalDataSerialize::close() {
    impl_->db.close();
    return 1;
}

int CLocalDataSerialize::readSetting(CFriendSetMsg& settings) {
    if (!impl_->settings) {
        logFailure("readSetting before initialize");
        return 0;
    }
    return impl_->settings->read(impl_->connection(), settings) ? 1 : 0;
}

int CLocalDataSerialize::setSetting(const CFriendSetMsg& settings) {
    engine::Connection* const db = impl_->connection();
    if (db == nullptr) {
        logFailure("setSetting while not open");
        return 0;
    }
    return impl_->settings->write(*db, settings) ? 1 : 0;
}

int CLocalDataSerialize::writeSendLog(const std::string& senderId, const std::string& senderExtra,
                                      const std::string& text) {
    engine::Connection* const db = impl_->connection();
    if (db == nullptr) {
        logFailure("writeSendLog while not open");
        return 0;
    }
    CSendLosgMsg entry;
    entry.time = localTimeNow();
    entry.firstText = text;
    entry.secondText = senderId;
    entry.thirdText = senderExtra;
    return local::appendSendLog(*db, entry) ? 1 : 0;
}

int CLocalDataSerialize::readAllSendLog(std::vector<CSendLosgMsg>& out) {
    engine::Connection* const db = impl_->connection();
    if (db == nullptr) {
        logFailure("readAllSendLog while not open");
        return 0;
    }
    const std::size_t before = out.size();
    if (!local::readSendLog(*db, out)) return 0;
    // One more than the entries appended, so that "greater than 1" reads as
    // "at least one entry".
    const std::size_t appended = out.size() - before;
    return appended >= static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(appended) + 1;
}

// The address book: each call forwards to its table module.

int CLocalDataSerialize::addFriend(CFriend& contact, int& newId) {
    return addFriend(contact, 1, newId);
}

int CLocalDataSerialize::addFriend(CFriend& contact, const int& groupId) {
    int newId = 0;
    return addFriend(contact, groupId, newId);
}

int CLocalDataSerialize::addFriend(CFriend& contact, const int& groupId, int& newId) {
    std::vector<CFriend> one{contact};
    const int result = impl_->with("addFriend", [&](engine::Connection& db) {
        return local::addContacts(db, one, {groupId});
    });
    if (result == 1) {
        newId = one.front().getFirendStrut().id;
        contact.getFirendStrut().id = newId;
    }
    return result;
}

int CLocalDataSerialize::modifyFriend(const int& id, CFriend& contact) {
    return impl_->with("modifyFriend", [&](engine::Connection& db) {
        return local::modifyContact(db, id, contact);
    });
}

int CLocalDataSerialize::getFriendInfo(const int& id, CFriend& contact) {
    return impl_->with("getFriendInfo", [&](engine::Connection& db) {
        return local::readContact(db, id, contact, nullptr);
    });
}

int CLocalDataSerialize::getFriendInfo(const int& id, CFriend& contact,
                                       std::vector<CFriendGroup>& groups) {
    return impl_->with("getFriendInfo", [&](engine::Connection& db) {
        return local::readContact(db, id, contact, &groups);
    });
}

int CLocalDataSerialize::delFriend(const int& id) {
    return impl_->with("delFriend",
                       [&](engine::Connection& db) { return local::deleteContact(db, id); });
}

int CLocalDataSerialize::delAllFriend() {
    return impl_->with("delAllFriend",
                       [&](engine::Connection& db) { return local::deleteAllContacts(db); });
}

int CLocalDataSerialize::importFriends(std::vector<CFriend>& contacts,
                                       const std::vector<int>& groups) {
    return impl_->with("importFriends", [&](engine::Connection& db) {
        return local::addContacts(db, contacts, groups.empty() ? std::vector<int>{1} : groups);
    });
}

int CLocalDataSerialize::addFriGroupRelation(const int& contactId, const int& groupId) {
    return impl_->with("addFriGroupRelation", [&](engine::Connection& db) {
        return local::relate(db, contactId, groupId);
    });
}

int CLocalDataSerialize::delFriGroupRelation(const int& contactId, const int& groupId) {
    return impl_->with("delFriGroupRelation", [&](engine::Connection& db) {
        return local::unrelate(db, contactId, groupId);
    });
}

int CLocalDataSerialize::addRootFriendGroup(const std::string& name) {
    return impl_->with("addRootFriendGroup", [&](engine::Connection& db) {
        return local::addGroup(db, local::kFriendGroups, 0, name, nullptr);
    });
}

int CLocalDataSerialize::addRootFriendGroup(const std::string& name, int& newId) {
    return impl_->with("addRootFriendGroup", [&](engine::Connection& db) {
        return local::addGroup(db, local::kFriendGroups, 0, name, &newId);
    });
}

int CLocalDataSerialize::addSubFriendGroup(const int& parentId, const std::string& name) {
    return impl_->with("addSubFriendGroup", [&](engine::Connection& db) {
        return local::addSubGroup(db, local::kFriendGroups, parentId, name, nullptr);
    });
}

int CLocalDataSerialize::addSubFriendGroup(const int& parentId, const std::string& name,
                                           int& newId) {
    return impl_->with("addSubFriendGroup", [&](engine::Connection& db) {
        return local::addSubGroup(db, local::kFriendGroups, parentId, name, &newId);
    });
}

int CLocalDataSerialize::renameFriendGroup(const int& groupId, const std::string& name) {
    return impl_->with("renameFriendGroup", [&](engine::Connection& db) {
        return local::renameGroup(db, local::kFriendGroups, groupId, name);
    });
}

int CLocalDataSerialize::delFriendGroup(const int& groupId) {
    return impl_->with("delFriendGroup", [&](engine::Connection& db) {
        return local::deleteGroupTree(db, local::kFriendGroups, groupId);
    });
}

int CLocalDataSerialize::getRootFriendGroup(std::vector<CFriendGroup>& groups) {
    return getSubFriendGroup(0, groups);
}

int CLocalDataSerialize::getSubFriendGroup(const int& parentId, std::vector<CFriendGroup>& groups) {
    return impl_->with("getSubFriendGroup", [&](engine::Connection& db) {
        return local::readGroups(db, local::kFriendGroups, parentId, groups);
    });
}

int CLocalDataSerialize::getGroupFriendNum(const int& groupId) {
    return impl_->with("getGroupFriendNum", [&](engine::Connection& db) {
        return local::countGroupContacts(db, groupId);
    });
}

int CLocalDataSerialize::getTopXGroupFriendNum(const int& groupId, const int& count,
                                               std::vector<CFriend>& out) {
    return impl_->with("getTopXGroupFriendNum", [&](engine::Connection& db) {
        return count <= 0 ? 1 : local::readGroupContacts(db, groupId, count, out);
    });
}

int CLocalDataSerialize::getGroupFriend(const int& groupId, std::vector<CFriend>& out) {
    return impl_->with("getGroupFriend", [&](engine::Connection& db) {
        return local::readGroupContacts(db, groupId, -1, out);
    });
}

int CLocalDataSerialize::delGroupFriends(const int& groupId) {
    return impl_->with("delGroupFriends",
                       [&](engine::Connection& db) { return local::emptyGroup(db, groupId); });
}

int CLocalDataSerialize::selectFriend(const std::string& column, const int& value,
                                      std::vector<CFriend>& out) {
    return search(*impl_, column, value, out);
}

int CLocalDataSerialize::selectFriend(const std::string& column, const std::string& value,
                                      std::vector<CFriend>& out) {
    return search(*impl_, column, value, out);
}

int CLocalDataSerialize::selectFriend(const std::string& column, const bool& value,
                                      std::vector<CFriend>& out) {
    return search(*impl_, column, value, out);
}

int CLocalDataSerialize::selectFriend(const std::string& column, const CSmsData& value,
                                      std::vector<CFriend>& out) {
    return search(*impl_, column, value, out);
}

int CLocalDataSerialize::getTopXFriend(const int& count, std::vector<CFriend>& out) {
    return impl_->with("getTopXFriend", [&](engine::Connection& db) {
        return local::readNotUploaded(db, count, out);
    });
}

int CLocalDataSerialize::modifyCommitStatus(const int& id, const int& status) {
    return impl_->with("modifyCommitStatus", [&](engine::Connection& db) {
        return local::setUploadStatus(db, id, status);
    });
}

}  // namespace Dmg
