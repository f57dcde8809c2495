#include "records/CSmsSendLogMag.h"

#include "addressbook/MainStore.h"
#include "contracts/fileserialize/CFileManager.h"
#include "library/ManagerCache.h"

namespace SMS {

CSmsSendLogMag::CSmsSendLogMag() = default;
CSmsSendLogMag::CSmsSendLogMag(const CSmsSendLogMag& other) = default;
CSmsSendLogMag& CSmsSendLogMag::operator=(const CSmsSendLogMag& other) = default;
CSmsSendLogMag::~CSmsSendLogMag() = default;

int CSmsSendLogMag::loadAll() {
    m_cache.clear();
    const int result = addressbook::onMainStore(
        [&](Dmg::CLocalDataSerialize& s) { return s.readAllSendLog(m_cache); });
    return result > 1 ? 1 : 0;
}

int CSmsSendLogMag::getLogNum() { return static_cast<int>(m_cache.size()); }

int CSmsSendLogMag::getLog(const int& page, const int& pageSize, std::vector<Dmg::CSendLosgMsg>& out) {
    out.clear();
    if (m_cache.empty()) return 0;
    library::appendPage(m_cache, page, pageSize, out);
    return 1;
}

int CSmsSendLogMag::ExportAll(const std::string& path) {
    library::Rows rows;
    for (std::size_t i = 0; i < m_cache.size(); ++i) {
        const Dmg::CSendLosgMsg& e = m_cache[i];
        rows[static_cast<int>(i)] = {library::dashTimeText(e.time), e.firstText, e.secondText,
                                     e.thirdText};
    }
    return FileSerialize::CFileManager::getSingletonPtr()->exportToFile(path, rows);
}

}  // namespace SMS
