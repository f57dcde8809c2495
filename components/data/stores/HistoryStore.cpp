// The sent history on HLog.dll, as the history window reads and prunes it.
// Rows are listed oldest first: by time, then by record number.
#include "contracts/dmg/CHistoryLogSerialize.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <tuple>

#include "components/data/engine/Database.h"
#include "components/data/engine/Statement.h"
#include "components/data/engine/WriteTransaction.h"
#include "components/data/stores/HistoryRead.h"
#include "components/data/stores/HistoryTable.h"
#include "components/data/stores/HistoryText.h"
#include "components/data/stores/HistoryTime.h"
#include "components/data/stores/QueueLog.h"

namespace Dmg {
namespace {

// Rows newer than this many days count as new.
constexpr int kNewLogDays = 7;

int failed(const std::string& what) { return stores::failed("history", what); }

}  // namespace

struct CHistoryLogSerialize::Impl {
    engine::Database db;
    std::string path;  // of the open file, for a second connection
    std::string password;

    bool ready(const char* operation) const {
        if (db.isOpen()) return true;
        failed(std::string(operation) + " before initialize");
        return false;
    }

    int selectTimes(const char* operation, const historytable::Range& range,
                    historytable::Outcome outcome, std::vector<CHistoryMsg>& out) {
        if (!ready(operation)) return 0;
        if (!historytable::selectTimes(db.connection(), range, outcome, out)) {
            return failed(std::string(operation) + " failed");
        }
        return 1;
    }
};

CHistoryLogSerialize::CHistoryLogSerialize() : impl_(std::make_unique<Impl>()) {}
CHistoryLogSerialize::~CHistoryLogSerialize() = default;

int CHistoryLogSerialize::initialize(const std::string& path, const std::string& password) {
    if (!impl_->db.open(path, password, historytable::schema())) {
        return failed("cannot open " + path);
    }
    impl_->path = path;
    impl_->password = password;
    return 1;
}

int CHistoryLogSerialize::close() {
    impl_->db.close();
    return 1;
}

// Every row, oldest first. Read by number (sequential passes over the table)
// and then put in time order in memory: read in time order through the index,
// a million rows would be visited at random, each costing a page decrypted
// again. The sort is stable, so equal times stay in number order.
int CHistoryLogSerialize::getAllLog(std::vector<CHistoryMsg>& out) {
    if (!impl_->ready("getAllLog")) return 0;
    const std::size_t before = out.size();
    if (!historyread::allByNumber(impl_->db.connection(), impl_->path, impl_->password, out)) {
        return failed("getAllLog failed");
    }
    const auto earlier = [](const CHistoryMsg& a, const CHistoryMsg& b) {
        const CSmsData& x = a.time;
        const CSmsData& y = b.time;
        return std::tie(x.year, x.month, x.day, x.hour, x.minute) <
               std::tie(y.year, y.month, y.day, y.hour, y.minute);
    };
    // Rows are logged in time order, so usually nothing needs to move.
    const auto first = out.begin() + static_cast<std::ptrdiff_t>(before);
    if (!std::is_sorted(first, out.end(), earlier)) std::stable_sort(first, out.end(), earlier);
    return 1;
}

// New: from the same clock time seven calendar days ago on (later times too).
int CHistoryLogSerialize::getNewLog(std::vector<CHistoryMsg>& out) {
    const historytable::Range range{historytime::daysBefore(historytime::now(), kNewLogDays), {}};
    return impl_->selectTimes("getNewLog", range, historytable::Outcome::Any, out);
}

// The rows numbered a to b, both included; nothing when a > b.
int CHistoryLogSerialize::select(const int& a, const int& b, std::vector<CHistoryMsg>& out) {
    if (!impl_->ready("select")) return 0;
    if (!historytable::selectNumbers(impl_->db.connection(), a, b, out)) {
        return failed("select by number failed");
    }
    return 1;
}

// Rows timed within [from, to] (an unset end is open) whose success flag is
// `flag` and, for a non-empty key, whose first or second text contains it.
int CHistoryLogSerialize::select(const CSmsData& from, const CSmsData& to, const bool& flag,
                                 const std::string& key, std::vector<CHistoryMsg>& out) {
    std::vector<CHistoryMsg> rows;
    const auto outcome = flag ? historytable::Outcome::Succeeded : historytable::Outcome::Failed;
    if (impl_->selectTimes("select", {from, to}, outcome, rows) == 0) return 0;
    std::copy_if(std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()),
                 std::back_inserter(out), [&key](const CHistoryMsg& m) {
                     return historytext::contains(m.firstText, key) ||
                            historytext::contains(m.secondText, key);
                 });
    return 1;
}

int CHistoryLogSerialize::delLog(const int& number) {
    if (!impl_->ready("delLog")) return 0;
    auto& connection = impl_->db.connection();
    engine::WriteTransaction tx(connection);
    bool found = false;
    if (!tx.ok() || !historytable::remove(connection, number, found)) {
        return failed("delLog failed for row " + std::to_string(number));
    }
    if (!found) return failed("delLog: no row " + std::to_string(number));
    if (!tx.commit()) return failed("delLog cannot commit");
    return 1;
}

int CHistoryLogSerialize::delLogs(const std::vector<int>& numbers) {
    if (!impl_->ready("delLogs")) return 0;
    auto& connection = impl_->db.connection();
    engine::WriteTransaction tx(connection);
    if (!tx.ok()) return failed("delLogs cannot begin");
    engine::Statement del(connection.db(), "DELETE FROM history WHERE number = ?");
    for (const int number : numbers) {
        del.reset();
        del.bind(1, std::int64_t{number});
        if (!del.run()) return failed("delLogs failed for row " + std::to_string(number));
    }
    if (!tx.commit()) return failed("delLogs cannot commit");
    return 1;
}

}  // namespace Dmg
