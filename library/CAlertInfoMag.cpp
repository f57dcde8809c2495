#include "library/CAlertInfoMag.h"

#include "addressbook/MainStore.h"
#include "contracts/base/StringConverter.h"
#include "contracts/fileserialize/CFileManager.h"
#include "library/ManagerCache.h"

namespace SMS {
namespace {

using addressbook::onMainStore;
using Store = Dmg::CLocalDataSerialize;

int& idOf(Dmg::CAlertInfo& info) { return info.getAlertInfoStrut().id; }

enum class Kind { Int, Text, Time };

struct Field {
    const char* label;
    const char* field;  // the store's own names, spelling included
    Kind kind;
};

constexpr Field kFields[] = {
    {"ID", "ID", Kind::Int},
    {"所属组ID", "GroupID", Kind::Int},
    {"提醒类型", "AlertType", Kind::Text},
    {"名字", "PhoneOwerName", Kind::Text},
    {"手机", "PhoneNum", Kind::Text},
    {"激活时间", "ActiveTime", Kind::Time},
    {"添加时间", "AddTime", Kind::Time},
    {"内容", "MsgContent", Kind::Text},
};

}  // namespace

CAlertInfoMag::CAlertInfoMag() = default;
CAlertInfoMag::CAlertInfoMag(const CAlertInfoMag& other) = default;
CAlertInfoMag& CAlertInfoMag::operator=(const CAlertInfoMag& other) = default;
CAlertInfoMag::~CAlertInfoMag() = default;

int CAlertInfoMag::addRootGroup(const std::string& name, int& newId) {
    return onMainStore([&](Store& s) { return s.addRootAlertInfoGroup(name, newId); });
}

int CAlertInfoMag::addSubGroup(const int& parentId, const std::string& name, int& newId) {
    return onMainStore([&](Store& s) { return s.addSubAlertInfoGroup(parentId, name, newId); });
}

int CAlertInfoMag::renameGroup(const int& id, const std::string& name) {
    return onMainStore([&](Store& s) { return s.renameAlertInfoGroup(id, name); });
}

int CAlertInfoMag::delGroup(const int& id) {
    return onMainStore([&](Store& s) { return s.delAlertInfoGroup(id); });
}

int CAlertInfoMag::getSubGroup(const int& parentId, std::vector<Dmg::CAlertInfoGroup>& out) {
    return onMainStore([&](Store& s) { return s.getSubAlertInfoGroup(parentId, out); });
}

int CAlertInfoMag::getRootGroup(std::vector<Dmg::CAlertInfoGroup>& out) {
    return onMainStore([&](Store& s) { return s.getRootAlertInfoGroup(out); });
}

int CAlertInfoMag::modifyAlertInfo(const int& id, Dmg::CAlertInfo& info) {
    return onMainStore([&](Store& s) { return s.modifyAlertInfo(id, info); });
}

int CAlertInfoMag::getAlertInfoInfo(const int& id, Dmg::CAlertInfo& info) {
    return onMainStore([&](Store& s) { return s.getAlertInfoInfo(id, info); });
}

int CAlertInfoMag::delAlertInfo(const int& id) {
    return onMainStore([&](Store& s) { return s.delAlertInfo(id); });
}

int CAlertInfoMag::delAllAlertInfo() {
    m_cache.clear();
    return onMainStore([](Store& s) { return s.delAllAlertInfo(); });
}

int CAlertInfoMag::addAlertInfo(Dmg::CAlertInfo& info, const std::vector<int>& groups,
                                std::vector<int>& newIds) {
    return onMainStore([&](Store& s) {
        return library::addToGroups(groups, newIds, [&](const int& group, int& newId) {
            return s.addAlertInfo(info, group, newId);
        });
    });
}

int CAlertInfoMag::getGroupAlertInfo(const int& groupId, std::vector<Dmg::CAlertInfo>& out) {
    m_curGroup = groupId;
    return onMainStore([&](Store& s) { return s.getGroupAlertInfo(groupId, out); });
}

int CAlertInfoMag::getGroupAlertInfoNum(const int& groupId) {
    m_cache.clear();
    return getGroupAlertInfo(groupId, m_cache) != 0 ? 1 : 0;
}

int CAlertInfoMag::selectAlertInfo(const std::string& field, const std::string& value) {
    m_curGroup = -1;
    m_cache.clear();
    for (const Field& f : kFields) {
        if (field != f.label) continue;
        return onMainStore([&](Store& s) {
            const std::string name = f.field;
            switch (f.kind) {
                case Kind::Int:
                    return s.selectAlertInfo(name, Base::StringConverter::toInt(value), m_cache);
                case Kind::Time:
                    return s.selectAlertInfo(name, library::dashTimeValue(value), m_cache);
                case Kind::Text:
                    break;
            }
            return s.selectAlertInfo(name, value, m_cache);
        });
    }
    return 0;
}

int CAlertInfoMag::selectAlertInfo2Key(const std::string& key1, const std::string& key2) {
    m_curGroup = -1;
    m_cache.clear();
    return onMainStore([&](Store& s) { return s.selectAlertInfo2Key(key1, key2, m_cache); });
}

int CAlertInfoMag::selectAlertInfoNum(const std::string& key1, const std::string& key2) {
    m_cache.clear();
    return selectAlertInfo2Key(key1, key2) != 0 ? 1 : 0;
}

int CAlertInfoMag::getCurAlertInfoNum() { return static_cast<int>(m_cache.size()); }

int CAlertInfoMag::getAlertInfo(const int& /*unused*/, const int& page,
                                std::vector<Dmg::CAlertInfo>& out) {
    return library::appendPage(m_cache, page, m_pageSize, out);
}

int CAlertInfoMag::getAllInfoInVec(std::vector<Dmg::CAlertInfo>& out) {
    out.insert(out.end(), m_cache.begin(), m_cache.end());
    return 1;
}

int CAlertInfoMag::init(const int& pageSize) {
    m_pageSize = pageSize;
    return 1;
}

int CAlertInfoMag::clearVec() {
    m_cache.clear();
    return 1;
}

int CAlertInfoMag::InsertAlertInfoInVec(const int& pos, const int& id, const Dmg::CAlertInfo& info) {
    return library::insertInCache(m_cache, pos, id, info, idOf);
}

int CAlertInfoMag::modifyAlertInfoInVec(const int& id, const Dmg::CAlertInfo& info) {
    return library::replaceInCache(m_cache, id, info, idOf);
}

int CAlertInfoMag::delAlertInfoInVec(const int& id) {
    return library::removeFromCache(m_cache, id, idOf);
}

int CAlertInfoMag::delCurGroup(int /*groupId*/, IBaseProgressDlg* progress) {
    // A null progress object would be a crash half-way: refuse it up front.
    if (progress == nullptr) return 0;
    progress->setRange(0, static_cast<int>(m_cache.size()), 1);
    progress->setText("正在删除短信提醒...\n\n");
    return onMainStore([&](Store& s) {
        for (const Dmg::CAlertInfo& info : m_cache) {
            progress->refresh();
            progress->offsetPos(1);
            if (progress->isCanceled() != 0) return 1;
            if (s.delAlertInfo(info.getAlertInfoStrut().id) == 0) return 0;
        }
        return 1;
    });
}

int CAlertInfoMag::importAlertInfo(const std::string& /*path*/, const std::vector<int>& /*groups*/) {
    return 1;
}

int CAlertInfoMag::exportAlertInfo(const std::string& path,
                                   const std::vector<Dmg::CAlertInfo>& infos) {
    return FileSerialize::CFileManager::getSingletonPtr()->exportToFile(
        path, library::propertyRows(infos));
}

}  // namespace SMS
