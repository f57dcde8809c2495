#include "records/CHistoryLogMag.h"

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "contracts/base/CLog.h"
#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CHistoryLogSerialize.h"
#include "contracts/fileserialize/CFileManager.h"
#include "library/ManagerCache.h"

namespace SMS {
namespace {

using Store = Dmg::CHistoryLogSerialize;

// Looked up at every use; null when nothing is registered.
Store* historyStore() {
    return static_cast<Store*>(Dmg::CDataManager::getSingletonPtr()->getDataSerialize("historylog"));
}

template <typename Call>
int onHistory(Call&& call) {
    Store* const store = historyStore();
    return store != nullptr ? call(*store) : 0;
}

// Collects record numbers and deletes them from the store in batches, one
// transaction each, in the order they came (a transaction per record would
// make 100,000 deletions take many seconds). The numbers of a batch the store
// refused are kept: those records are still stored.
class BatchDelete {
public:
    BatchDelete() = default;
    BatchDelete(const BatchDelete&) = delete;
    BatchDelete& operator=(const BatchDelete&) = delete;
    ~BatchDelete() { flush(); }

    void add(int number) {
        pending_.push_back(number);
        if (pending_.size() >= kBatch) flush();
    }
    void flush() {
        if (pending_.empty()) return;
        if (onHistory([&](Store& s) { return s.delLogs(pending_); }) == 0) {
            Base::CLog::getSingleton().writeMessage(
                "历史记录: " + std::to_string(pending_.size()) + " 条未能删除", 2);
            failed_.insert(pending_.begin(), pending_.end());
        }
        pending_.clear();
    }
    // Numbers still stored although asked for; after flush().
    const std::set<int>& failed() const { return failed_; }

private:
    static constexpr std::size_t kBatch = 512;
    std::vector<int> pending_;
    std::set<int> failed_;
};

// Keeps in `cache` the records `keep` says, in their order.
template <typename Keep>
void keepOnly(std::vector<Dmg::CHistoryMsg>& cache, Keep keep) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < cache.size(); ++i) {
        if (!keep(i)) continue;
        if (kept != i) cache[kept] = std::move(cache[i]);
        ++kept;
    }
    cache.resize(kept);
}

void startProgress(IBaseProgressDlg& progress, std::size_t total) {
    progress.setRange(0, static_cast<int>(total), 1);
    progress.setText("正在删除历史记录...\n\n");
}

// One step: true when the user asked to stop.
bool stepCancelled(IBaseProgressDlg& progress) {
    progress.refresh();
    progress.offsetPos(1);
    return progress.isCanceled() != 0;
}

}  // namespace

CHistoryLogMag::CHistoryLogMag() = default;
CHistoryLogMag::CHistoryLogMag(const CHistoryLogMag& other) = default;
CHistoryLogMag& CHistoryLogMag::operator=(const CHistoryLogMag& other) = default;
CHistoryLogMag::~CHistoryLogMag() = default;

int CHistoryLogMag::init() { return 1; }

int CHistoryLogMag::getLogNum() { return static_cast<int>(m_cache.size()); }

int CHistoryLogMag::getAllLog(std::vector<Dmg::CHistoryMsg>& out) {
    out = m_cache;
    return 1;
}

int CHistoryLogMag::loadAllLog() {
    m_cache.clear();
    return onHistory([&](Store& s) { return s.getAllLog(m_cache); });
}

int CHistoryLogMag::loadNewLog() {
    m_cache.clear();
    return onHistory([&](Store& s) { return s.getNewLog(m_cache); });
}

int CHistoryLogMag::select(const int& a, const int& b) {
    m_cache.clear();
    return onHistory([&](Store& s) { return s.select(a, b, m_cache); });
}

int CHistoryLogMag::select(const Dmg::CSmsData& from, const Dmg::CSmsData& to, const bool& flag,
                           const std::string& key) {
    m_cache.clear();
    return onHistory([&](Store& s) { return s.select(from, to, flag, key, m_cache); });
}

int CHistoryLogMag::getLog(const int& page, const int& pageSize, std::vector<Dmg::CHistoryMsg>& out) {
    library::appendPage(m_cache, page, pageSize, out);
    return 1;
}

int CHistoryLogMag::delAllLog(IBaseProgressDlg* progress) {
    if (progress == nullptr || historyStore() == nullptr) return 0;
    startProgress(*progress, m_cache.size());
    BatchDelete batch;
    for (const Dmg::CHistoryMsg& record : m_cache) {
        if (stepCancelled(*progress)) break;
        batch.add(record.number);
    }
    batch.flush();
    const std::set<int>& failed = batch.failed();
    keepOnly(m_cache, [&](std::size_t i) { return failed.count(m_cache[i].number) != 0; });
    return failed.empty() ? 1 : 0;
}

int CHistoryLogMag::delLog(const std::vector<int>& numbers, IBaseProgressDlg* progress) {
    if (progress == nullptr || historyStore() == nullptr) return 0;
    const std::size_t n = m_cache.size();
    std::vector<bool> chosen(n, false);
    std::map<int, std::size_t> indexOf;  // a later duplicate number wins
    for (std::size_t i = 0; i < n; ++i) indexOf[m_cache[i].number] = i;
    for (const int number : numbers) {
        const auto it = indexOf.find(number);
        if (it != indexOf.end()) chosen[it->second] = true;
    }
    startProgress(*progress, n);
    BatchDelete batch;
    std::size_t reached = 0;  // records the loop came to before a cancel
    for (; reached < n; ++reached) {
        if (stepCancelled(*progress)) break;
        if (chosen[reached]) batch.add(m_cache[reached].number);
    }
    batch.flush();
    // One pass keeps the order of the rest, instead of an erase per record.
    const std::set<int>& failed = batch.failed();
    keepOnly(m_cache, [&](std::size_t i) {
        return !(i < reached && chosen[i]) || failed.count(m_cache[i].number) != 0;
    });
    return failed.empty() ? 1 : 0;
}

int CHistoryLogMag::exportLog(const std::string& path, const std::vector<Dmg::CHistoryMsg>& records) {
    library::Rows rows;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Dmg::CHistoryMsg& r = records[i];
        rows[static_cast<int>(i)] = {library::dashTimeText(r.time), r.firstText,
                                     r.success ? "成功" : "失败", r.secondText};
    }
    return FileSerialize::CFileManager::getSingletonPtr()->exportToFile(path, rows);
}

}  // namespace SMS
