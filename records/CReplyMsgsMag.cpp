#include "records/CReplyMsgsMag.h"

#include <map>

#include "addressbook/MainStore.h"
#include "contracts/fileserialize/CFileManager.h"
#include "library/ManagerCache.h"

namespace SMS {
namespace {

using addressbook::onMainStore;
using Store = Dmg::CLocalDataSerialize;

}  // namespace

CReplyMsgsMag::CReplyMsgsMag() = default;
CReplyMsgsMag::CReplyMsgsMag(const CReplyMsgsMag& other) = default;
CReplyMsgsMag& CReplyMsgsMag::operator=(const CReplyMsgsMag& other) = default;
CReplyMsgsMag::~CReplyMsgsMag() = default;

int CReplyMsgsMag::loadAll() {
    m_cache.clear();
    return onMainStore([&](Store& s) { return s.getReplyDatas(m_cache); });
}

int CReplyMsgsMag::select(Dmg::CSmsData& from, Dmg::CSmsData& to, std::string& key) {
    // Emptied first: the store appends, and a second search must show only
    // its own replies.
    m_cache.clear();
    return onMainStore(
        [&](Store& s) { return s.select(from.getFullString(), to.getFullString(), key, m_cache); });
}

int CReplyMsgsMag::getLogNum() { return static_cast<int>(m_cache.size()); }

int CReplyMsgsMag::getLog(int page, int pageSize, std::vector<Dmg::ReplyData>& out) {
    return library::appendPage(m_cache, page, pageSize, out);
}

int CReplyMsgsMag::delAll() {
    std::vector<int> numbers;
    numbers.reserve(m_cache.size());
    for (const Dmg::ReplyData& reply : m_cache) numbers.push_back(reply.number);
    if (onMainStore([&](Store& s) { return s.removeReplyData(numbers); }) != 1) return 0;
    m_cache.clear();
    return 1;
}

int CReplyMsgsMag::delSelect(std::vector<Dmg::ReplyData>& chosen) {
    std::vector<int> numbers;
    std::vector<Dmg::ReplyData> keep;
    for (const Dmg::ReplyData& cached : m_cache) {
        bool matched = false;
        for (const Dmg::ReplyData& c : chosen) {
            if (c.number != cached.number) continue;
            numbers.push_back(c.number);  // chosen twice: listed twice
            matched = true;
        }
        if (!matched) keep.push_back(cached);
    }
    m_cache.swap(keep);
    return onMainStore([&](Store& s) { return s.removeReplyData(numbers); });
}

int CReplyMsgsMag::ExportAll(std::string& path) {
    library::Rows rows;
    for (std::size_t i = 0; i < m_cache.size(); ++i) {
        const Dmg::ReplyData& r = m_cache[i];
        rows[static_cast<int>(i)] = {r.time.getString(), r.phone, r.extra, r.text};
    }
    return FileSerialize::CFileManager::getSingletonPtr()->exportToFile(path, rows);
}

}  // namespace SMS
