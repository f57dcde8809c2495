// The main store on Main.dll ("database", "database1"): the address book
// (contacts, the group tree, contact-group relations, upload status), the
// phrase library, the reminders, saved messages, received replies, contact
// field settings, the send log and the timed messages.
//
// Address book results: 1 success, 0 failure (logged) unless said otherwise.
// Contacts come back in id order. Operations that fill a vector append to it.
// Text columns of selectFriend: "Mobile", "Teliphone" and "Post" match the
// contacts whose field starts with the value; the other text columns those
// whose field contains it, at a character boundary. Other columns match
// exactly; "Birthday" compares all five fields.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "contracts/dmg/CAlertInfo.h"
#include "contracts/dmg/CAlertInfoGroup.h"
#include "contracts/dmg/CFriend.h"
#include "contracts/dmg/CFriendGroup.h"
#include "contracts/dmg/CFriendSetMsg.h"
#include "contracts/dmg/CSaveMsg.h"
#include "contracts/dmg/CSendLosgMsg.h"
#include "contracts/dmg/CSmsData.h"
#include "contracts/dmg/CTimerMsg.h"
#include "contracts/dmg/CWord.h"
#include "contracts/dmg/CWordGroup.h"
#include "contracts/dmg/IDataSerialize.h"
#include "contracts/dmg/ReplyData.h"
#include "contracts/export.h"

namespace Dmg {

class DMG_API CLocalDataSerialize : public IDataSerialize {
public:
    CLocalDataSerialize();
    ~CLocalDataSerialize() override;

    virtual int initialize(const std::string& path, const std::string& password);
    virtual int close();

    virtual int readSetting(CFriendSetMsg& settings);
    virtual int setSetting(const CFriendSetMsg& settings);
    virtual int writeSendLog(const std::string& senderId, const std::string& senderExtra,
                             const std::string& text);
    virtual int readAllSendLog(std::vector<CSendLosgMsg>& out);

    // Contacts. The id of the record passed in is ignored: an add gives a new
    // id (set in `newId` and in the record), a modify keeps `id` and marks the
    // contact as not uploaded (0 when there is no such contact). addFriend without a group files the contact under group 1
    // (mind the overloads: a non-const int lvalue is taken as `newId`).
    // getFriendInfo: 1, or 0 when there is no such contact. delFriend: 2 when
    // the contact and its relations are gone, 1 when there was no such
    // contact, 0 on failure.
    virtual int addFriend(CFriend& contact, int& newId);
    virtual int addFriend(CFriend& contact, const int& groupId);
    virtual int addFriend(CFriend& contact, const int& groupId, int& newId);
    virtual int modifyFriend(const int& id, CFriend& contact);
    virtual int getFriendInfo(const int& id, CFriend& contact);
    virtual int getFriendInfo(const int& id, CFriend& contact, std::vector<CFriendGroup>& groups);
    virtual int delFriend(const int& id);
    // Every contact, relation and upload status; groups stay.
    virtual int delAllFriend();
    // Adds every contact, one record each, filed under every group of
    // `groups` (group 1 when empty), in one transaction: 1 when all are
    // stored (their new ids set in `contacts`), 0 when none is (a group that
    // does not exist fails the whole import).
    virtual int importFriends(std::vector<CFriend>& contacts, const std::vector<int>& groups);

    // Relations. Adding one that exists is a success; removing one that
    // does not exist is 0.
    virtual int addFriGroupRelation(const int& contactId, const int& groupId);
    virtual int delFriGroupRelation(const int& contactId, const int& groupId);

    // The group tree. Group 1 always exists (the default group; it can be
    // renamed, not deleted). A group's id is never handed out again. Deleting
    // a group deletes its subgroups and their relations; the contacts stay.
    // Adding to a group that does not exist is 0, with nothing stored.
    virtual int addRootFriendGroup(const std::string& name);
    virtual int addRootFriendGroup(const std::string& name, int& newId);
    virtual int addSubFriendGroup(const int& parentId, const std::string& name);
    virtual int addSubFriendGroup(const int& parentId, const std::string& name, int& newId);
    virtual int renameFriendGroup(const int& groupId, const std::string& name);
    virtual int delFriendGroup(const int& groupId);
    virtual int getRootFriendGroup(std::vector<CFriendGroup>& groups);
    virtual int getSubFriendGroup(const int& parentId, std::vector<CFriendGroup>& groups);

    // Contacts filed directly under one group (not its subgroups): the
    // number (0 also on failure), the first `count` of them, all of them (a
    // group that does not exist has none). delGroupFriends takes every
    // contact out of the group; the contacts stay.
    virtual int getGroupFriendNum(const int& groupId);
    virtual int getTopXGroupFriendNum(const int& groupId, const int& count, std::vector<CFriend>& out);
    virtual int getGroupFriend(const int& groupId, std::vector<CFriend>& out);
    virtual int delGroupFriends(const int& groupId);

    // Search by one column (names fixed: "ID", "Name", "Mobile", ...). 1 also
    // when nothing matches; 0 for an unknown column or a column of another
    // type, and on failure.
    virtual int selectFriend(const std::string& column, const int& value, std::vector<CFriend>& out);
    virtual int selectFriend(const std::string& column, const std::string& value,
                             std::vector<CFriend>& out);
    virtual int selectFriend(const std::string& column, const bool& value, std::vector<CFriend>& out);
    virtual int selectFriend(const std::string& column, const CSmsData& value,
                             std::vector<CFriend>& out);
    // A text literal would otherwise pick the bool overload.
    int selectFriend(const std::string& column, const char* value, std::vector<CFriend>& out) = delete;

    // Upload status: the first `count` contacts not yet marked 1, in id
    // order; the mark itself (0 when there is no such contact).
    virtual int getTopXFriend(const int& count, std::vector<CFriend>& out);
    virtual int modifyCommitStatus(const int& id, const int& status);

    // Phrases and reminders: each in a group tree of its own, where group 1
    // always exists (it can be renamed, not deleted). A record belongs to one
    // group; deleting a group deletes its subgroups and every record in them,
    // in one transaction. Record numbers and group ids are never handed out
    // again. Records come back in record-number order; lists and searches
    // append to `out`.
    // Adds return 2 on success (a caller adding to several groups goes on
    // while the result is above 1) and 0 on failure, when nothing is stored
    // (a group that does not exist, too); on success `newId` and the
    // record's number and group are set, and a record whose time added is
    // unset gets the local time. modify rewrites the fields and keeps the
    // record number, the group and, when the given one is unset, the time
    // added: 1, or 0 when there is no such record. get*Info: 1, or 0 when
    // there is none. del of one record: 2 when it is gone, 1 when there was
    // no such record, 0 on failure (a deletion loop stops only on 0).
    // delAll*: every record goes, the groups stay; 1 (0 on failure).
    // Searches return 1 also when nothing matches, 0 for an unknown field or
    // a value of another type (nothing appended). Text fields: the value as a
    // part made of whole GBK characters, unless said otherwise; an empty
    // value matches all. Values are data only: quotes, NUL or invalid GBK
    // match themselves. A time (CSmsData) matches from the year down to its
    // last non-zero part, so 2011-3-0-0-0 finds all of March 2011 and
    // 2011-3-7-8-0 that hour; a year below 1 (a value that is not a date)
    // finds nothing. Two-key searches: records whose text holds key 1 and
    // whose group name (reminders: owner name or number) holds key 2; an
    // empty key matches all.
    virtual int addRootWordGroup(const std::string& name, int& newId);
    virtual int addSubWordGroup(const int& parentId, const std::string& name, int& newId);
    virtual int renameWordGroup(const int& id, const std::string& name);
    virtual int delWordGroup(const int& id);
    virtual int getSubWordGroup(const int& parentId, std::vector<CWordGroup>& out);
    virtual int getRootWordGroup(std::vector<CWordGroup>& out);
    virtual int addWord(CWord& word, const int& groupId, int& newId);
    virtual int addWord(CWord& word, const int& groupId);
    // Every word into every group of `groups` (group 1 when empty) in one
    // transaction: 1 when all are stored (each word then has the number of
    // its record in the first group, and its time added), 0 when none is (a
    // group that does not exist fails the whole import).
    virtual int importWords(std::vector<CWord>& words, const std::vector<int>& groups);
    // modify keeps the record number and group; 1, or 0 when there is none.
    virtual int modifyWord(const int& id, CWord& word);
    virtual int getWordInfo(const int& id, CWord& word);
    virtual int delWord(const int& id);
    virtual int delAllWord();
    virtual int getGroupWord(const int& groupId, std::vector<CWord>& out);
    // Fields: "ID", "GroupID" (int), "Content" (text), "AddTime" (time).
    virtual int selectWord(const std::string& field, const int& value, std::vector<CWord>& out);
    virtual int selectWord(const std::string& field, const std::string& value,
                           std::vector<CWord>& out);
    virtual int selectWord(const std::string& field, const CSmsData& value, std::vector<CWord>& out);
    virtual int selectWord2Key(const std::string& key1, const std::string& key2,
                               std::vector<CWord>& out);

    virtual int addRootAlertInfoGroup(const std::string& name, int& newId);
    virtual int addSubAlertInfoGroup(const int& parentId, const std::string& name, int& newId);
    virtual int renameAlertInfoGroup(const int& id, const std::string& name);
    virtual int delAlertInfoGroup(const int& id);
    virtual int getSubAlertInfoGroup(const int& parentId, std::vector<CAlertInfoGroup>& out);
    virtual int getRootAlertInfoGroup(std::vector<CAlertInfoGroup>& out);
    virtual int addAlertInfo(CAlertInfo& info, const int& groupId, int& newId);
    virtual int modifyAlertInfo(const int& id, CAlertInfo& info);
    virtual int getAlertInfoInfo(const int& id, CAlertInfo& info);
    virtual int delAlertInfo(const int& id);
    virtual int delAllAlertInfo();
    virtual int getGroupAlertInfo(const int& groupId, std::vector<CAlertInfo>& out);
    // Fields: "ID", "GroupID" (int); "AlertType" (text, the whole of it),
    // "PhoneOwerName", "PhoneNum" (text, from the start), "MsgContent"
    // (text); "ActiveTime", "AddTime" (time).
    virtual int selectAlertInfo(const std::string& field, const int& value,
                                std::vector<CAlertInfo>& out);
    virtual int selectAlertInfo(const std::string& field, const std::string& value,
                                std::vector<CAlertInfo>& out);
    virtual int selectAlertInfo(const std::string& field, const CSmsData& value,
                                std::vector<CAlertInfo>& out);
    virtual int selectAlertInfo2Key(const std::string& key1, const std::string& key2,
                                    std::vector<CAlertInfo>& out);

    // Saved messages, in record-number order, appended to `out`. saveMsg
    // stamps the local time: 1, or 0. selectSaveMsg: the texts holding the
    // key as whole GBK characters (an empty key matches all); 1. delSaveMsg:
    // 2 when it is gone, 1 when there was no such message, 0 on failure.
    virtual int saveMsg(const std::string& text);
    virtual int readAllSaveMsg(std::vector<CSaveMsg>& out);
    virtual int selectSaveMsg(const std::string& key, std::vector<CSaveMsg>& out);
    virtual int delSaveMsg(const int& id);

    // Received replies
    // In record-number order (the order they arrived), appended to `out`.
    // addReplyData stores one reply; its number is ignored, a reply whose
    // time is unset gets the local time: 1 with `newId` and the reply's
    // number set, or 0. getReplyDatas: every reply; 1, or 0 on failure.
    // select: the replies whose time lies from `from` to `to`, both ends
    // included, and whose phone or text holds `key` as whole GBK characters
    // (an empty key matches all). The times are texts such as
    // "2026-12-06 08:05:00" (seconds are ignored); an empty text leaves that
    // end open, and a text without a year (one below 1) matches nothing. 1
    // also when nothing matches. removeReplyData deletes the listed replies
    // in one transaction: 1 when none of them is left (numbers without a
    // reply, and repeated ones, count as gone), 0 when nothing was deleted.
    virtual int addReplyData(ReplyData& reply, int& newId);
    virtual int getReplyDatas(std::vector<ReplyData>& out);
    virtual int select(const std::string& from, const std::string& to, const std::string& key,
                       std::vector<ReplyData>& out);
    virtual int removeReplyData(const std::vector<int>& numbers);

    // Timed messages, in record-number order, appended to `out`; the log
    // mover writes them. selectTimerMsg: field "Content" only (0 for any
    // other), the texts holding the value as whole GBK characters; 1.
    // deleteMsg: 2 when it is gone, 1 when there was none, 0 on failure.
    virtual int getAllTimerMsg(std::vector<CTimerMsg>& out);
    virtual int selectTimerMsg(const std::string& field, const std::string& value,
                               std::vector<CTimerMsg>& out);
    virtual int deleteMsg(const int& id);

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace Dmg
