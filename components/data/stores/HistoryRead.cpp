#include "components/data/stores/HistoryRead.h"

#include <cstdint>
#include <iterator>
#include <limits>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "components/data/engine/Database.h"
#include "components/data/stores/HistoryTable.h"
#include "contracts/base/NeverDestroyed.h"

namespace Dmg::historyread {
namespace {

// Below this span of numbers a second thread costs more than it saves.
constexpr std::int64_t kSplitSpan = 20000;
constexpr std::int64_t kLowest = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kHighest = std::numeric_limits<std::int64_t>::max();

struct Hook {
    std::mutex mutex;  // guards fn: set by a test's thread, read by the helper
    std::function<void()> fn;
};

Hook& hook() {
    static Base::NeverDestroyed<Hook> instance;
    return instance.get();
}

void callHook() {
    std::function<void()> fn;
    {
        const std::lock_guard<std::mutex> lock(hook().mutex);
        fn = hook().fn;
    }
    if (fn) fn();
}

}  // namespace

void setUpperHalfHook(std::function<void()> fn) {
    const std::lock_guard<std::mutex> lock(hook().mutex);
    hook().fn = std::move(fn);
}

// The halves are split by number, never by position: rows added meanwhile
// get numbers above every existing one and fall into the upper half, and a
// row deleted meanwhile cannot shift another row from one half to the other.
bool allByNumber(engine::Connection& connection, const std::string& path,
                 const std::string& password, std::vector<CHistoryMsg>& out) {
    std::int64_t first = 0;
    std::int64_t last = 0;
    if (!historytable::numberSpan(connection, first, last)) return false;
    if (last - first < kSplitSpan) {
        return historytable::selectNumbers(connection, kLowest, kHighest, out);
    }
    const std::size_t before = out.size();
    const std::int64_t middle = first + (last - first) / 2;
    // Written by the helper thread only; read here only after join().
    std::vector<CHistoryMsg> upper;
    bool upperRead = false;
    std::thread helper;
    try {
        helper = std::thread([&] {
            callHook();
            engine::Database second;
            upperRead = second.open(path, password, historytable::schema()) &&
                        historytable::selectNumbers(second.connection(), middle + 1, kHighest,
                                                    upper);
        });
    } catch (const std::system_error&) {
        // No thread to be had: the upper half is read below, on this thread.
    }
    const bool lowerRead = historytable::selectNumbers(connection, kLowest, middle, out);
    if (helper.joinable()) helper.join();
    if (!upperRead) {
        upper.clear();
        upperRead = historytable::selectNumbers(connection, middle + 1, kHighest, upper);
    }
    if (!lowerRead || !upperRead) {
        out.resize(before);
        return false;
    }
    out.insert(out.end(), std::make_move_iterator(upper.begin()),
               std::make_move_iterator(upper.end()));
    return true;
}

}  // namespace Dmg::historyread
