// The user interface's door to the address book: contacts, the group tree and
// contact-group relations in the main store ("database"), plus one cached
// list of the contacts the user is looking at (one group, or one search
// result), paged for the list view. The first load of a group stops at 340
// contacts; the rest comes when the caller asks. Import and export of
// contact files go through the file library.
//
// Plain and copyable; one object is used by one thread at a time. Results:
// 1 success, 0 failure, store results passed through unless said otherwise.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "contracts/dmg/CFriend.h"
#include "contracts/dmg/CFriendGroup.h"
#include "contracts/export.h"
#include "contracts/progress.h"

namespace SMS {

class SMS_API CFriendMag {
public:
    CFriendMag();

    // Forwarded to the store as they are; the cache is not touched.
    int modifyFriend(const int& id, Dmg::CFriend& contact);
    int getFriendInfo(const int& id, Dmg::CFriend& contact, std::vector<Dmg::CFriendGroup>& groups);
    int getFriendInfo(const int& id, Dmg::CFriend& contact);
    int delFriend(const int& id);
    int addFriend(Dmg::CFriend& contact, int& newId);
    int addFriGroupRelation(const int& contactId, const int& groupId);
    int delFriGroupRelation(const int& contactId, const int& groupId);
    int addRootGroup(const std::string& name);
    int addRootGroup(const std::string& name, int& newId);
    int addSubGroup(const int& parentId, const std::string& name);
    int addSubGroup(const int& parentId, const std::string& name, int& newId);
    int renameGroup(const int& groupId, const std::string& name);
    int delGroup(const int& groupId);
    int getRootGroup(std::vector<Dmg::CFriendGroup>& groups);
    int getSubGroup(const int& parentId, std::vector<Dmg::CFriendGroup>& groups);

    // Files a copy of the contact under each group (group 1 when none); 1
    // when any add succeeded. `newId` ends holding the last add's id.
    int addFriend(const Dmg::CFriend& contact, const std::vector<int>& groups, int& newId);
    int addFriend(const Dmg::CFriend& contact, const std::vector<int>& groups);

    // The current set.
    int init(const int& pageSize);
    int getGroupFriendNum(const int& groupId);  // first 340 of a group
    int getGroupFriendW();                      // the rest of it
    int selectFriendNum(const std::string& field, const std::string& value);
    int getCurFriendNum();
    // Appends page `page` (from 1) of the cache to `out`; 0 for a page past
    // the end or an impossible one. The first argument is not read.
    int getFriend(const int& unused, const int& page, std::vector<Dmg::CFriend>& out);
    int getAllFriend(std::vector<Dmg::CFriend>& out);
    int clearVec();
    // Change the cache only.
    int InsertFriendInVec(const int& index, const int& id, const Dmg::CFriend& contact);
    int modifyFriendInVec(const int& id, const Dmg::CFriend& contact);
    int delFriendInVec(const int& id);

    // Deletes every cached contact: 1, or minus the number of failures.
    int delCurSelect();
    // Takes the shown contacts out of a group, with progress and cancel.
    int delCurGroup(const int& groupId, IBaseProgressDlg* progress);
    int delAllFriend();

    // Contact files: header row of the 19 field labels, one row per contact.
    int exportFriend(const std::string& path, const std::vector<Dmg::CFriend>& contacts);
    int parseFile(const std::string& path, std::map<int, std::vector<std::string>>& table);
    // Stores the rows whose "手机" column holds a sendable number as new
    // contacts in `groups` (group 1 when none), columns named by `columns`
    // (an empty name skips the column). 0 when no column is "手机" or the
    // store refuses; 1 otherwise, however many rows were skipped.
    int importFriend(std::vector<std::vector<std::string>>& rows,
                     const std::vector<std::string>& columns, const std::vector<int>& groups);

protected:
    int getGroupFriend(const int& groupId, std::vector<Dmg::CFriend>& out);
    int selectFriend(const std::string& field, const std::string& value);

private:
    std::int32_t m_count = 0;      // contacts of the current group as the store last said
    bool m_partial = false;        // the cache holds only the first part of the group
    std::vector<Dmg::CFriend> m_cache;
    std::int32_t m_pageSize = 0;   // set by init
    std::int32_t m_curGroup = -1;  // group of the cache; -1 for a search result or nothing
};

}  // namespace SMS
