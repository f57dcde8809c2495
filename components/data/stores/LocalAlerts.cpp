// The reminders of the main store: each call forwards to AlertTable and the
// group tree.
#include <vector>

#include "components/data/stores/AlertTable.h"
#include "components/data/stores/GroupTree.h"
#include "components/data/stores/HistoryTime.h"
#include "components/data/stores/LocalImpl.h"
#include "contracts/dmg/CLocalDataSerialize.h"

namespace Dmg {

int CLocalDataSerialize::addRootAlertInfoGroup(const std::string& name, int& newId) {
    return impl_->with("addRootAlertInfoGroup", [&](engine::Connection& db) {
        return local::addGroup(db, local::kAlertGroups, 0, name, &newId);
    });
}

int CLocalDataSerialize::addSubAlertInfoGroup(const int& parentId, const std::string& name,
                                              int& newId) {
    return impl_->with("addSubAlertInfoGroup", [&](engine::Connection& db) {
        return local::addSubGroup(db, local::kAlertGroups, parentId, name, &newId);
    });
}

int CLocalDataSerialize::renameAlertInfoGroup(const int& id, const std::string& name) {
    return impl_->with("renameAlertInfoGroup", [&](engine::Connection& db) {
        return local::renameGroup(db, local::kAlertGroups, id, name);
    });
}

int CLocalDataSerialize::delAlertInfoGroup(const int& id) {
    return impl_->with("delAlertInfoGroup", [&](engine::Connection& db) {
        return local::deleteGroupTree(db, local::kAlertGroups, id);
    });
}

int CLocalDataSerialize::getSubAlertInfoGroup(const int& parentId,
                                              std::vector<CAlertInfoGroup>& out) {
    return impl_->with("getSubAlertInfoGroup", [&](engine::Connection& db) {
        return local::readGroups(db, local::kAlertGroups, parentId, out);
    });
}

int CLocalDataSerialize::getRootAlertInfoGroup(std::vector<CAlertInfoGroup>& out) {
    return getSubAlertInfoGroup(0, out);
}

int CLocalDataSerialize::addAlertInfo(CAlertInfo& info, const int& groupId, int& newId) {
    std::vector<CAlertInfo> one{info};
    CSmsData& added = one.front().getAlertInfoStrut().addTime;
    if (added.isUnset()) added = historytime::now();
    const int result = impl_->with("addAlertInfo", [&](engine::Connection& db) {
        return local::addRecords(db, local::alertTable(), one, {groupId});
    });
    if (result == 0) return 0;
    info = one.front();
    newId = info.getAlertInfoStrut().id;
    return 2;
}

int CLocalDataSerialize::modifyAlertInfo(const int& id, CAlertInfo& info) {
    return impl_->with("modifyAlertInfo", [&](engine::Connection& db) {
        return local::modifyRecord(
            db, local::alertTable(), id, info, [](CAlertInfo& given, const CAlertInfo& stored) {
                CAlertInfo::AlertInfoData& g = given.getAlertInfoStrut();
                const CAlertInfo::AlertInfoData& s = stored.getAlertInfoStrut();
                g.id = s.id;
                g.groupId = s.groupId;
                if (g.addTime.isUnset()) g.addTime = s.addTime;
            });
    });
}

int CLocalDataSerialize::getAlertInfoInfo(const int& id, CAlertInfo& info) {
    return impl_->with("getAlertInfoInfo", [&](engine::Connection& db) {
        return local::readRecord(db, local::alertTable(), id, info);
    });
}

int CLocalDataSerialize::delAlertInfo(const int& id) {
    return impl_->with("delAlertInfo", [&](engine::Connection& db) {
        return local::deleteRecord(db, local::alertTable(), id);
    });
}

int CLocalDataSerialize::delAllAlertInfo() {
    return impl_->with("delAllAlertInfo", [&](engine::Connection& db) {
        return local::deleteAllRecords(db, local::alertTable());
    });
}

int CLocalDataSerialize::getGroupAlertInfo(const int& groupId, std::vector<CAlertInfo>& out) {
    return impl_->with("getGroupAlertInfo", [&](engine::Connection& db) {
        return local::readGroupAlerts(db, groupId, out);
    });
}

int CLocalDataSerialize::selectAlertInfo(const std::string& field, const int& value,
                                         std::vector<CAlertInfo>& out) {
    return impl_->with("selectAlertInfo", [&](engine::Connection& db) {
        return local::selectAlerts(db, field, value, out);
    });
}

int CLocalDataSerialize::selectAlertInfo(const std::string& field, const std::string& value,
                                         std::vector<CAlertInfo>& out) {
    return impl_->with("selectAlertInfo", [&](engine::Connection& db) {
        return local::selectAlerts(db, field, value, out);
    });
}

int CLocalDataSerialize::selectAlertInfo(const std::string& field, const CSmsData& value,
                                         std::vector<CAlertInfo>& out) {
    return impl_->with("selectAlertInfo", [&](engine::Connection& db) {
        return local::selectAlerts(db, field, value, out);
    });
}

int CLocalDataSerialize::selectAlertInfo2Key(const std::string& key1, const std::string& key2,
                                             std::vector<CAlertInfo>& out) {
    return impl_->with("selectAlertInfo2Key", [&](engine::Connection& db) {
        return local::selectAlerts2Key(db, key1, key2, out);
    });
}

}  // namespace Dmg
