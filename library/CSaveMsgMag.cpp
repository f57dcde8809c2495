#include "library/CSaveMsgMag.h"

#include <algorithm>
#include <cstdint>
#include <map>

#include "addressbook/MainStore.h"
#include "contracts/fileserialize/CFileManager.h"

namespace SMS {
namespace {

using addressbook::onMainStore;
using Store = Dmg::CLocalDataSerialize;

}  // namespace

CSaveMsgMag::CSaveMsgMag() = default;
CSaveMsgMag::CSaveMsgMag(const CSaveMsgMag& other) = default;
CSaveMsgMag& CSaveMsgMag::operator=(const CSaveMsgMag& other) = default;
CSaveMsgMag::~CSaveMsgMag() = default;

int CSaveMsgMag::saveMsg(const std::string& text) {
    return onMainStore([&](Store& s) { return s.saveMsg(text); });
}

int CSaveMsgMag::readAllSaveMsg() {
    m_cache.clear();
    return onMainStore([&](Store& s) { return s.readAllSaveMsg(m_cache); });
}

int CSaveMsgMag::selectSaveMsg(std::string key) {
    m_cache.clear();
    return onMainStore([&](Store& s) { return s.selectSaveMsg(key, m_cache); });
}

int CSaveMsgMag::getMsgNum() { return static_cast<int>(m_cache.size()); }

int CSaveMsgMag::getSaveMsg(const int& page, const int& pageSize, std::vector<Dmg::CSaveMsg>& out) {
    out.clear();
    if (m_cache.empty() || page < 0 || pageSize < 0) return 0;
    // 64-bit: a huge page is past the end, never a wrapped-around one.
    const std::int64_t first = std::int64_t{page} * pageSize;
    const auto size = static_cast<std::int64_t>(m_cache.size());
    const std::int64_t last = std::min((std::int64_t{page} + 1) * pageSize - 1, size - 1);
    if (first <= last) out.assign(m_cache.begin() + first, m_cache.begin() + last + 1);
    return 1;
}

int CSaveMsgMag::delSaveMsg(const int& id) {
    for (auto it = m_cache.begin(); it != m_cache.end(); ++it) {
        if (it->number == id) {
            m_cache.erase(it);
            break;
        }
    }
    return onMainStore([&](Store& s) { return s.delSaveMsg(id); });
}

int CSaveMsgMag::delAllSaveMsg() {
    onMainStore([&](Store& s) {
        for (const Dmg::CSaveMsg& msg : m_cache) s.delSaveMsg(msg.number);
        return 1;
    });
    m_cache.clear();
    return 1;
}

int CSaveMsgMag::exportAll(const std::string& path) {
    std::map<int, std::vector<std::string>> rows;
    for (std::size_t i = 0; i < m_cache.size(); ++i) {
        rows[static_cast<int>(i)] = {m_cache[i].text, m_cache[i].time.getString()};
    }
    return FileSerialize::CFileManager::getSingletonPtr()->exportToFile(path, rows);
}

}  // namespace SMS
