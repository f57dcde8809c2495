// The user interface's door to the SMS reminders: the group tree and the
// reminders in the main store ("database"), one cached list (a group or a
// search result) paged for display, deletion of the cached reminders with
// progress, and export. Reminders cannot be imported.
//
// Copyable; used from one thread. Results: 1 success, 0 failure, store
// results passed through unless said otherwise.
#pragma once

#include <string>
#include <vector>

#include "contracts/dmg/CAlertInfo.h"
#include "contracts/dmg/CAlertInfoGroup.h"
#include "contracts/export.h"
#include "contracts/progress.h"

namespace SMS {

class SMS_API CAlertInfoMag {
public:
    CAlertInfoMag();
    CAlertInfoMag(const CAlertInfoMag& other);
    CAlertInfoMag& operator=(const CAlertInfoMag& other);
    virtual ~CAlertInfoMag();

    // Forwarded to the store; the cache is not touched.
    int addRootGroup(const std::string& name, int& newId);
    int addSubGroup(const int& parentId, const std::string& name, int& newId);
    int renameGroup(const int& id, const std::string& name);
    int delGroup(const int& id);
    int getSubGroup(const int& parentId, std::vector<Dmg::CAlertInfoGroup>& out);
    int getRootGroup(std::vector<Dmg::CAlertInfoGroup>& out);
    int modifyAlertInfo(const int& id, Dmg::CAlertInfo& info);
    int getAlertInfoInfo(const int& id, Dmg::CAlertInfo& info);
    int delAlertInfo(const int& id);
    int delAllAlertInfo();  // empties the cache too
    // Adds the reminder to each group in order (group 1 when none), stopping
    // at the first result not above 1; each new record number goes to `newIds`.
    int addAlertInfo(Dmg::CAlertInfo& info, const std::vector<int>& groups, std::vector<int>& newIds);

    // The cached list.
    int getGroupAlertInfoNum(const int& groupId);
    int selectAlertInfoNum(const std::string& key1, const std::string& key2);
    int getCurAlertInfoNum();
    // Appends page `page` (from 0) to `out`; 0 when it starts outside the
    // cache. The first argument is not read.
    int getAlertInfo(const int& unused, const int& page, std::vector<Dmg::CAlertInfo>& out);
    int getAllInfoInVec(std::vector<Dmg::CAlertInfo>& out);
    int init(const int& pageSize);
    int clearVec();
    int InsertAlertInfoInVec(const int& pos, const int& id, const Dmg::CAlertInfo& info);
    int modifyAlertInfoInVec(const int& id, const Dmg::CAlertInfo& info);
    int delAlertInfoInVec(const int& id);

    // Deletes every cached reminder from the store with progress: 1 when done
    // or canceled, 0 at the first deletion the store refuses (and for a null
    // progress object). The group argument is not read; the cache stays.
    int delCurGroup(int groupId, IBaseProgressDlg* progress);
    // Reminders cannot be imported: does nothing, 1.
    int importAlertInfo(const std::string& path, const std::vector<int>& groups);
    // Row i: the property values of infos[i], no header.
    int exportAlertInfo(const std::string& path, const std::vector<Dmg::CAlertInfo>& infos);

protected:
    int getGroupAlertInfo(const int& groupId, std::vector<Dmg::CAlertInfo>& out);
    // Fields "ID", "所属组ID", "提醒类型", "名字", "手机", "激活时间",
    // "添加时间", "内容"; 0 for any other.
    int selectAlertInfo(const std::string& field, const std::string& value);
    int selectAlertInfo2Key(const std::string& key1, const std::string& key2);

private:
    std::vector<Dmg::CAlertInfo> m_cache;
    int m_pageSize = 0;
    int m_curGroup = -1;  // group of the cache; -1 after a search
};

}  // namespace SMS
