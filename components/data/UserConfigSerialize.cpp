#include "contracts/dmg/UserConfigSerialize.h"

#include <climits>
#include <mutex>

#include "components/data/engine/Database.h"
#include "components/data/stores/UserConfigPrefixes.h"
#include "contracts/base/CLog.h"

namespace Dmg {

using local::Carrier;

// One lock over lists and file, so memory always matches the last commit.
struct UserConfigSerialize::Impl {
    std::mutex mutex;
    local::PrefixLists lists;
    engine::Database db;

    int get(Carrier carrier, std::vector<std::string>& out) {
        const std::lock_guard<std::mutex> lock(mutex);
        const auto& list = lists[static_cast<std::size_t>(carrier)];
        out.insert(out.end(), list.begin(), list.end());
        return list.size() >= static_cast<std::size_t>(INT_MAX) ? INT_MAX
                                                                : static_cast<int>(list.size());
    }

    // Only an open store takes a list: the next initialize would load the
    // stored lists over one kept in memory.
    int set(Carrier carrier, const std::vector<std::string>& list) {
        const std::lock_guard<std::mutex> lock(mutex);
        if (!db.isOpen()) {
            Base::CLog::getSingleton().writeMessage(
                "data: user configuration: a list cannot be set while the store is closed", 2);
            return 0;
        }
        if (!local::storePrefixes(db.connection(), carrier, list)) return 0;
        lists[static_cast<std::size_t>(carrier)] = list;
        return 1;
    }
};

UserConfigSerialize::UserConfigSerialize() : impl_(std::make_unique<Impl>()) {}
UserConfigSerialize::~UserConfigSerialize() = default;

int UserConfigSerialize::initialize(const std::string& path, const std::string& password) {
    const std::lock_guard<std::mutex> lock(impl_->mutex);
    if (!impl_->db.open(path, password, local::prefixSchema()) ||
        !local::loadPrefixes(impl_->db.connection(), impl_->lists)) {
        impl_->db.close();
        Base::CLog::getSingleton().writeMessage("data: user configuration: cannot open " + path, 2);
        return 0;
    }
    return 1;
}

int UserConfigSerialize::close() {
    const std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->db.close();
    return 1;
}

int UserConfigSerialize::getChinaMobileNumHeader(std::vector<std::string>& headers) {
    return impl_->get(Carrier::Mobile, headers);
}

int UserConfigSerialize::getChinaUnicomNumHeader(std::vector<std::string>& headers) {
    return impl_->get(Carrier::Unicom, headers);
}

int UserConfigSerialize::getChinaTeleComNumHeader(std::vector<std::string>& headers) {
    return impl_->get(Carrier::Telecom, headers);
}

int UserConfigSerialize::setChinaMobileNumHeader(const std::vector<std::string>& headers) {
    return impl_->set(Carrier::Mobile, headers);
}

int UserConfigSerialize::setChinaUnicomNumHeader(const std::vector<std::string>& headers) {
    return impl_->set(Carrier::Unicom, headers);
}

int UserConfigSerialize::setChinaTeleComNumHeader(const std::vector<std::string>& headers) {
    return impl_->set(Carrier::Telecom, headers);
}

}  // namespace Dmg
