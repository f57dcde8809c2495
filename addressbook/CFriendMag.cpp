#include "addressbook/CFriendMag.h"

#include <cstdint>

#include "addressbook/FriendSearch.h"
#include "addressbook/MainStore.h"
#include "library/ManagerCache.h"

namespace SMS {
namespace {

using addressbook::onMainStore;
using Store = Dmg::CLocalDataSerialize;

constexpr int kFirstLoad = 340;  // contacts in the first load of a group
constexpr int kDefaultGroup = 1;

std::int32_t& idOf(Dmg::CFriend& contact) { return contact.getFirendStrut().id; }

}  // namespace

CFriendMag::CFriendMag() = default;

int CFriendMag::modifyFriend(const int& id, Dmg::CFriend& contact) {
    return onMainStore([&](Store& s) { return s.modifyFriend(id, contact); });
}

int CFriendMag::getFriendInfo(const int& id, Dmg::CFriend& contact,
                              std::vector<Dmg::CFriendGroup>& groups) {
    return onMainStore([&](Store& s) { return s.getFriendInfo(id, contact, groups); });
}

int CFriendMag::getFriendInfo(const int& id, Dmg::CFriend& contact) {
    return onMainStore([&](Store& s) { return s.getFriendInfo(id, contact); });
}

int CFriendMag::delFriend(const int& id) {
    return onMainStore([&](Store& s) { return s.delFriend(id); });
}

int CFriendMag::addFriend(Dmg::CFriend& contact, int& newId) {
    return onMainStore([&](Store& s) { return s.addFriend(contact, newId); });
}

int CFriendMag::addFriGroupRelation(const int& contactId, const int& groupId) {
    return onMainStore([&](Store& s) { return s.addFriGroupRelation(contactId, groupId); });
}

int CFriendMag::delFriGroupRelation(const int& contactId, const int& groupId) {
    return onMainStore([&](Store& s) { return s.delFriGroupRelation(contactId, groupId); });
}

int CFriendMag::addRootGroup(const std::string& name) {
    return onMainStore([&](Store& s) { return s.addRootFriendGroup(name); });
}

int CFriendMag::addRootGroup(const std::string& name, int& newId) {
    return onMainStore([&](Store& s) { return s.addRootFriendGroup(name, newId); });
}

int CFriendMag::addSubGroup(const int& parentId, const std::string& name) {
    return onMainStore([&](Store& s) { return s.addSubFriendGroup(parentId, name); });
}

int CFriendMag::addSubGroup(const int& parentId, const std::string& name, int& newId) {
    return onMainStore([&](Store& s) { return s.addSubFriendGroup(parentId, name, newId); });
}

int CFriendMag::renameGroup(const int& groupId, const std::string& name) {
    return onMainStore([&](Store& s) { return s.renameFriendGroup(groupId, name); });
}

int CFriendMag::delGroup(const int& groupId) {
    return onMainStore([&](Store& s) { return s.delFriendGroup(groupId); });
}

int CFriendMag::getRootGroup(std::vector<Dmg::CFriendGroup>& groups) {
    return onMainStore([&](Store& s) { return s.getRootFriendGroup(groups); });
}

int CFriendMag::getSubGroup(const int& parentId, std::vector<Dmg::CFriendGroup>& groups) {
    return onMainStore([&](Store& s) { return s.getSubFriendGroup(parentId, groups); });
}

int CFriendMag::addFriend(const Dmg::CFriend& contact, const std::vector<int>& groups, int& newId) {
    Dmg::CFriend copy = contact;
    return onMainStore([&](Store& s) {
        if (groups.empty()) return s.addFriend(copy, kDefaultGroup, newId);
        bool any = false;
        for (const int& group : groups) any = s.addFriend(copy, group, newId) != 0 || any;
        return any ? 1 : 0;
    });
}

int CFriendMag::addFriend(const Dmg::CFriend& contact, const std::vector<int>& groups) {
    Dmg::CFriend copy = contact;
    return onMainStore([&](Store& s) {
        if (groups.empty()) return s.addFriend(copy, kDefaultGroup);
        bool any = false;
        for (const int& group : groups) any = s.addFriend(copy, group) != 0 || any;
        return any ? 1 : 0;
    });
}

int CFriendMag::init(const int& pageSize) {
    m_pageSize = pageSize;
    m_curGroup = -1;
    return 1;
}

int CFriendMag::getGroupFriend(const int& groupId, std::vector<Dmg::CFriend>& out) {
    m_curGroup = groupId;
    m_partial = true;
    return onMainStore([&](Store& s) {
        m_count = s.getGroupFriendNum(groupId);
        return s.getTopXGroupFriendNum(groupId, kFirstLoad, out);
    });
}

int CFriendMag::getGroupFriendNum(const int& groupId) {
    m_cache.clear();
    return getGroupFriend(groupId, m_cache) != 0 ? 1 : 0;
}

int CFriendMag::getGroupFriendW() {
    if (!m_partial || m_curGroup < 0) return 0;
    m_partial = false;
    m_cache.clear();
    onMainStore([&](Store& s) { return s.getGroupFriend(m_curGroup, m_cache); });
    m_count = static_cast<std::int32_t>(m_cache.size());
    return 1;
}

int CFriendMag::selectFriend(const std::string& field, const std::string& value) {
    m_curGroup = -1;
    m_partial = false;
    m_cache.clear();
    return onMainStore(
        [&](Store& s) { return addressbook::searchByLabel(s, field, value, m_cache); });
}

int CFriendMag::selectFriendNum(const std::string& field, const std::string& value) {
    return selectFriend(field, value) != 0 ? 1 : 0;
}

int CFriendMag::getCurFriendNum() { return static_cast<int>(m_cache.size()); }

int CFriendMag::getFriend(const int& /*unused*/, const int& page, std::vector<Dmg::CFriend>& out) {
    // Pages count from 1 here; a page below 1 starts before the cache.
    if (page < 1) return 0;
    return library::appendPage(m_cache, page - 1, m_pageSize, out);
}

int CFriendMag::getAllFriend(std::vector<Dmg::CFriend>& out) {
    if (m_count == static_cast<std::int64_t>(m_cache.size()) && !m_partial) {
        out = m_cache;
    } else if (m_curGroup >= 0) {
        onMainStore([&](Store& s) { return s.getGroupFriend(m_curGroup, out); });
    } else {
        out = m_cache;
    }
    return 1;
}

int CFriendMag::clearVec() {
    m_count = 0;
    m_partial = false;
    m_curGroup = -1;
    m_cache.clear();
    return 1;
}

int CFriendMag::InsertFriendInVec(const int& index, const int& id, const Dmg::CFriend& contact) {
    return library::insertInCache(m_cache, index, id, contact, idOf);
}

int CFriendMag::modifyFriendInVec(const int& id, const Dmg::CFriend& contact) {
    return library::replaceInCache(m_cache, id, contact, idOf);
}

int CFriendMag::delFriendInVec(const int& id) { return library::removeFromCache(m_cache, id, idOf); }

int CFriendMag::delCurSelect() {
    int failures = 0;
    for (const Dmg::CFriend& contact : m_cache) {
        const int id = contact.getFirendStrut().id;
        if (onMainStore([&](Store& s) { return s.delFriend(id); }) < 2) ++failures;
    }
    m_cache.clear();
    return failures == 0 ? 1 : -failures;
}

int CFriendMag::delCurGroup(const int& groupId, IBaseProgressDlg* progress) {
    if (m_partial) {
        onMainStore([&](Store& s) { return s.delGroupFriends(m_curGroup); });
        return 1;
    }
    // A null progress object would be a crash half-way: refuse it up front.
    if (progress == nullptr) return 0;
    for (const Dmg::CFriend& contact : m_cache) {
        const int id = contact.getFirendStrut().id;
        onMainStore([&](Store& s) { return s.delFriGroupRelation(id, groupId); });
        progress->refresh();
        progress->offsetPos(1);
        if (progress->isCanceled() != 0) return 0;
    }
    return 1;
}

int CFriendMag::delAllFriend() {
    m_cache.clear();
    return onMainStore([](Store& s) { return s.delAllFriend(); });
}

}  // namespace SMS
