#include "library/CWordMag.h"

#include "addressbook/MainStore.h"
#include "contracts/base/StringConverter.h"
#include "contracts/fileserialize/CFileManager.h"
#include "contracts/platform/Time.h"
#include "library/ManagerCache.h"

namespace SMS {
namespace {

using addressbook::onMainStore;
using Store = Dmg::CLocalDataSerialize;

int& idOf(Dmg::CWord& word) { return word.getWordStrut().id; }

// The time text every phrase of one import carries: "2011-3-7-8-5".
std::string importTime() {
    const Platform::SystemTime now = Platform::getLocalTime();
    using Base::StringConverter;
    return StringConverter::toString(now.wYear) + "-" + StringConverter::toString(now.wMonth) + "-" +
           StringConverter::toString(now.wDay) + "-" + StringConverter::toString(now.wHour) + "-" +
           StringConverter::toString(now.wMinute);
}

}  // namespace

CWordMag::CWordMag() = default;
CWordMag::CWordMag(const CWordMag& other) = default;
CWordMag& CWordMag::operator=(const CWordMag& other) = default;
CWordMag::~CWordMag() = default;

int CWordMag::addRootGroup(const std::string& name, int& newId) {
    return onMainStore([&](Store& s) { return s.addRootWordGroup(name, newId); });
}

int CWordMag::addSubGroup(const int& parentId, const std::string& name, int& newId) {
    return onMainStore([&](Store& s) { return s.addSubWordGroup(parentId, name, newId); });
}

int CWordMag::renameGroup(const int& id, const std::string& name) {
    return onMainStore([&](Store& s) { return s.renameWordGroup(id, name); });
}

int CWordMag::delGroup(const int& id) {
    return onMainStore([&](Store& s) { return s.delWordGroup(id); });
}

int CWordMag::getSubGroup(const int& parentId, std::vector<Dmg::CWordGroup>& out) {
    return onMainStore([&](Store& s) { return s.getSubWordGroup(parentId, out); });
}

int CWordMag::getRootGroup(std::vector<Dmg::CWordGroup>& out) {
    return onMainStore([&](Store& s) { return s.getRootWordGroup(out); });
}

int CWordMag::modifyWord(const int& id, Dmg::CWord& word) {
    return onMainStore([&](Store& s) { return s.modifyWord(id, word); });
}

int CWordMag::getWordInfo(const int& id, Dmg::CWord& word) {
    return onMainStore([&](Store& s) { return s.getWordInfo(id, word); });
}

int CWordMag::delWord(const int& id) {
    return onMainStore([&](Store& s) { return s.delWord(id); });
}

int CWordMag::delAllWord() {
    m_cache.clear();
    return onMainStore([](Store& s) { return s.delAllWord(); });
}

int CWordMag::addWord(Dmg::CWord& word, const std::vector<int>& groups, std::vector<int>& newIds) {
    return onMainStore([&](Store& s) {
        return library::addToGroups(groups, newIds, [&](const int& group, int& newId) {
            return s.addWord(word, group, newId);
        });
    });
}

int CWordMag::delCurGroup(int groupId) {
    onMainStore([&](Store& s) {
        for (const Dmg::CWord& word : m_cache) {
            if (word.getWordStrut().groupId == groupId) s.delWord(word.getWordStrut().id);
        }
        return 1;
    });
    return 1;
}

int CWordMag::getGroupWord(const int& groupId, std::vector<Dmg::CWord>& out) {
    m_curGroup = groupId;
    return onMainStore([&](Store& s) { return s.getGroupWord(groupId, out); });
}

int CWordMag::getGroupWordNum(const int& groupId) {
    m_cache.clear();
    return getGroupWord(groupId, m_cache) != 0 ? 1 : 0;
}

int CWordMag::selectWord(const std::string& field, const std::string& value) {
    m_curGroup = -1;
    m_cache.clear();
    return onMainStore([&](Store& s) {
        if (field == "ID") return s.selectWord("ID", Base::StringConverter::toInt(value), m_cache);
        if (field == "内容") return s.selectWord("Content", value, m_cache);
        if (field == "所属组ID") {
            return s.selectWord("GroupID", Base::StringConverter::toInt(value), m_cache);
        }
        if (field == "添加时间") {
            return s.selectWord("AddTime", library::dashTimeValue(value), m_cache);
        }
        return 0;
    });
}

int CWordMag::SelectWordByContent(const std::string& text) {
    m_cache.clear();
    return selectWord("内容", text);
}

int CWordMag::selectWord2Key(const std::string& key1, const std::string& key2) {
    m_curGroup = -1;
    m_cache.clear();
    return onMainStore([&](Store& s) { return s.selectWord2Key(key1, key2, m_cache); });
}

int CWordMag::selectWordNum(const std::string& key1, const std::string& key2) {
    m_cache.clear();
    return selectWord2Key(key1, key2);
}

int CWordMag::getCurWordNum() { return static_cast<int>(m_cache.size()); }

int CWordMag::getWord(const int& /*unused*/, const int& page, std::vector<Dmg::CWord>& out) {
    return library::appendPage(m_cache, page, m_pageSize, out);
}

int CWordMag::init(const int& pageSize) {
    m_pageSize = pageSize;
    m_curGroup = -1;
    return 1;
}

int CWordMag::clearVec() {
    m_cache.clear();
    return 1;
}

int CWordMag::InsertWordInVec(const int& pos, const int& id, const Dmg::CWord& word) {
    return library::insertInCache(m_cache, pos, id, word, idOf);
}

int CWordMag::modifyWordInVec(const int& id, const Dmg::CWord& word) {
    return library::replaceInCache(m_cache, id, word, idOf);
}

int CWordMag::delWordInVec(const int& id) { return library::removeFromCache(m_cache, id, idOf); }

int CWordMag::importWord(std::map<int, std::vector<std::string>>& rows,
                         const std::vector<int>& groups) {
    const std::string added = importTime();
    std::vector<Dmg::CWord> words;
    words.reserve(rows.size());
    // Every row in key order: a map numbered 0..n-1, as the file library
    // gives it, is read as it stands, and no row of another map is lost.
    for (const auto& row : rows) {
        std::string text;
        for (const std::string& cell : row.second) text += cell;
        words.emplace_back();
        words.back().addPropetyAndValue("内容", text);
        words.back().addPropetyAndValue("添加时间", added);
    }
    if (words.empty()) return 1;
    // One transaction: the rows are stored whole or not at all.
    return onMainStore([&](Store& s) { return s.importWords(words, groups); }) != 0 ? 1 : 0;
}

int CWordMag::exportWord(const std::string& path, const std::vector<Dmg::CWord>& words) {
    return FileSerialize::CFileManager::getSingletonPtr()->exportToFile(
        path, library::propertyRows(words));
}

}  // namespace SMS
