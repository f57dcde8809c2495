// "rejectphones": numbers that must not be sent to, looked up in a hash set.
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "components/data/stores/RejectListTable.h"
#include "contracts/dmg/CRejectPhonesDataSerialize.h"

namespace Dmg {
namespace {

// The listed numbers without surrounding blanks, so that an entry typed or
// imported as "13800138000 " still stops 13800138000. Inside a number
// nothing is changed: "+86" forms and inner spaces are different numbers, as
// carrier classification sees them too. Blank entries stop nothing.
class PhoneSet {
public:
    PhoneSet() = default;
    explicit PhoneSet(const std::vector<std::string>& phones) {
        phones_.reserve(phones.size());
        for (const auto& phone : phones) {
            const std::string_view trimmed = stores::trimBlanks(phone);
            if (!trimmed.empty()) phones_.emplace(trimmed);
        }
    }

    bool contains(std::string_view phone) const {
        return phones_.count(std::string(stores::trimBlanks(phone))) != 0;
    }

private:
    std::unordered_set<std::string> phones_;
};

}  // namespace

struct CRejectPhonesDataSerialize::Impl {
    stores::ListStore<PhoneSet> list{{"rejectphones", "reject_phones"}};
};

CRejectPhonesDataSerialize::CRejectPhonesDataSerialize() : impl_(std::make_unique<Impl>()) {}
CRejectPhonesDataSerialize::~CRejectPhonesDataSerialize() = default;

int CRejectPhonesDataSerialize::initialize(const std::string& path, const std::string& password) {
    return impl_->list.initialize(path, password);
}

int CRejectPhonesDataSerialize::close() { return impl_->list.close(); }

// Blanks around `phone` are ignored, as around the listed numbers. Before
// any list was loaded (logged once) every number passes.
int CRejectPhonesDataSerialize::testPhone(const std::string& phone) {
    auto& list = impl_->list;
    if (!list.knownOrSay("testPhone")) return 1;
    return list.index().contains(phone) ? 0 : 1;
}

int CRejectPhonesDataSerialize::setRejectPhones(const std::vector<std::string>& phones) {
    return impl_->list.set(phones);
}

int CRejectPhonesDataSerialize::getRejectPhones(std::vector<std::string>& out) {
    return impl_->list.get(out);
}

}  // namespace Dmg
