// The user interface's window onto the sent history ("historylog"): load all,
// the newest part or a search result into a cache, page out of it, delete all
// or chosen records with progress, export records to a file.
//
// Plain and copyable; used from the caller's thread. The cache does not
// follow the log thread's writes until the next load.
#pragma once

#include <string>
#include <vector>

#include "contracts/dmg/CHistoryMsg.h"
#include "contracts/dmg/CSmsData.h"
#include "contracts/export.h"
#include "contracts/progress.h"

namespace SMS {

class SMS_API CHistoryLogMag {
public:
    CHistoryLogMag();
    CHistoryLogMag(const CHistoryLogMag& other);
    CHistoryLogMag& operator=(const CHistoryLogMag& other);
    ~CHistoryLogMag();

    int init();  // 1
    int getLogNum();
    int getAllLog(std::vector<Dmg::CHistoryMsg>& out);  // out = cache; 1

    // Each empties the cache and gives the store's result (0 without a store).
    int loadAllLog();
    int loadNewLog();
    int select(const int& a, const int& b);
    int select(const Dmg::CSmsData& from, const Dmg::CSmsData& to, const bool& flag,
               const std::string& key);

    // Appends page `page` (from 0) of `pageSize` records to `out`; 1. A page
    // past the end, or a negative page or size, appends nothing.
    int getLog(const int& page, const int& pageSize, std::vector<Dmg::CHistoryMsg>& out);

    // Deletes the cached records from the store in cache order, one progress
    // step per cached record, stopping when the user cancels. 1; 0 when the
    // store could not delete some of them (they stay cached and a line is
    // logged), or with nothing done without a progress object or store.
    // delAllLog empties the rest of the cache even when cancelled.
    int delAllLog(IBaseProgressDlg* progress);
    // Only the cached records whose number is listed; unknown numbers are
    // ignored, and a cancel keeps the records not yet reached.
    int delLog(const std::vector<int>& numbers, IBaseProgressDlg* progress);

    // Row i: time, first text, "成功"/"失败", second text of records[i].
    int exportLog(const std::string& path, const std::vector<Dmg::CHistoryMsg>& records);

private:
    std::vector<Dmg::CHistoryMsg> m_cache;
};

}  // namespace SMS
