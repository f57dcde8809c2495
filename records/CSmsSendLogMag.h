// The user interface's read-only view of the send log in the main store
// ("database"): load it into a cache, page out of it, export it to a file.
//
// Plain and copyable; used from one thread.
#pragma once

#include <string>
#include <vector>

#include "contracts/dmg/CSendLosgMsg.h"
#include "contracts/export.h"

namespace SMS {

class SMS_API CSmsSendLogMag {
public:
    CSmsSendLogMag();
    CSmsSendLogMag(const CSmsSendLogMag& other);
    CSmsSendLogMag& operator=(const CSmsSendLogMag& other);
    ~CSmsSendLogMag();

    // Empties the cache and reloads it: 1 when the store's result is above 1
    // (at least one entry), else 0.
    int loadAll();
    int getLogNum();
    // Replaces `out` with page `page` (from 0) of `pageSize` entries: 0 when
    // the cache is empty, else 1 (nothing for a page past the end or a
    // negative page or size).
    int getLog(const int& page, const int& pageSize, std::vector<Dmg::CSendLosgMsg>& out);
    // Row i: time and the three texts of cached entry i, no header.
    int ExportAll(const std::string& path);

private:
    std::vector<Dmg::CSendLosgMsg> m_cache;
};

}  // namespace SMS
