// "testphonenum": the user's own numbers, which get the first, small packets
// of a send so the user sees the message arrive before the bulk goes out.
//
// The rule of reAssignSendQueue: recipients whose number is a test number
// move to the front, in the order of the test-number list (recipients with
// the same number keep their relative order), with their leading flag set,
// so packing gives them the first, small packets. Every other recipient
// keeps its order and its own flags. Nothing is added, dropped or otherwise
// changed: a test number that is not among the recipients is not added,
// since only the library can tell whether a number belongs to a carrier
// class, and packing relies on every recipient having one.
#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "components/data/stores/RejectListTable.h"
#include "contracts/dmg/CTestPhonesSerialize.h"

namespace Dmg {
namespace {

// Each test number's place in the list (its first entry), blanks around it
// ignored; blank entries are no numbers.
class TestNumberRanks {
public:
    TestNumberRanks() = default;
    explicit TestNumberRanks(const std::vector<std::string>& phones) {
        ranks_.reserve(phones.size());
        for (const auto& phone : phones) {
            const std::string_view trimmed = stores::trimBlanks(phone);
            if (!trimmed.empty()) ranks_.emplace(std::string(trimmed), ranks_.size());
        }
    }

    bool empty() const { return ranks_.empty(); }

    // The rank of `phone`, or -1 when it is no test number.
    std::ptrdiff_t rankOf(std::string_view phone) const {
        const auto it = ranks_.find(std::string(stores::trimBlanks(phone)));
        return it == ranks_.end() ? -1 : static_cast<std::ptrdiff_t>(it->second);
    }

private:
    std::unordered_map<std::string, std::size_t> ranks_;
};

// (rank, position) of every recipient that is a test number, by rank;
// recipients of one number stay in list order.
std::vector<std::pair<std::ptrdiff_t, std::size_t>> testRecipients(
    const TestNumberRanks& ranks, const std::vector<CSendQueueElement>& list) {
    std::vector<std::pair<std::ptrdiff_t, std::size_t>> found;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::ptrdiff_t rank = ranks.rankOf(list[i].phone);
        if (rank >= 0) found.emplace_back(rank, i);
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return found;
}

// Everything that allocates happens before the first element moves, so the
// list is either reordered completely or left as it was.
void moveToFront(std::vector<CSendQueueElement>& list,
                 const std::vector<std::pair<std::ptrdiff_t, std::size_t>>& front) {
    std::vector<bool> moved(list.size(), false);
    std::vector<CSendQueueElement> result;
    result.reserve(list.size());
    static_assert(std::is_nothrow_move_constructible_v<CSendQueueElement>,
                  "elements move without a chance of failing half-way");
    for (const auto& entry : front) {
        moved[entry.second] = true;
        result.push_back(std::move(list[entry.second]));
        result.back().leading = true;
    }
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (!moved[i]) result.push_back(std::move(list[i]));
    }
    list.swap(result);
}

}  // namespace

struct CTestPhonesSerialize::Impl {
    stores::ListStore<TestNumberRanks> list{{"testphonenum", "test_phones"}};
};

CTestPhonesSerialize::CTestPhonesSerialize() : impl_(std::make_unique<Impl>()) {}
CTestPhonesSerialize::~CTestPhonesSerialize() = default;

int CTestPhonesSerialize::initialize(const std::string& path, const std::string& password) {
    return impl_->list.initialize(path, password);
}

int CTestPhonesSerialize::close() { return impl_->list.close(); }

// 1 when the list is reordered by the rule above, or left as it is because no
// recipient is a test number. 0, logged, with the list untouched, when the
// store has no test-number list at all (never initialised, nothing set),
// which points at a missing start-up rather than at "no test numbers".
int CTestPhonesSerialize::reAssignSendQueue(std::vector<CSendQueueElement>& list) {
    const auto& store = impl_->list;
    if (!store.known()) {
        Base::CLog::getSingleton().writeMessage(
            store.component() + ": no test-number list loaded; the send list is left as it is", 2);
        return 0;
    }
    if (store.index().empty()) return 1;
    return stores::guarded(store.component(), "reAssignSendQueue", [&] {
        const auto front = testRecipients(store.index(), list);
        if (!front.empty()) moveToFront(list, front);
        return 1;
    });
}

int CTestPhonesSerialize::setTestPhones(const std::vector<std::string>& phones) {
    return impl_->list.set(phones);
}

int CTestPhonesSerialize::getTestPhones(std::vector<std::string>& out) {
    return impl_->list.get(out);
}

}  // namespace Dmg
