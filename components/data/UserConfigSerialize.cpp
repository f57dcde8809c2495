#include "contracts/dmg/UserConfigSerialize.h"

namespace Dmg {

UserConfigSerialize::UserConfigSerialize() = default;
UserConfigSerialize::~UserConfigSerialize() = default;

int UserConfigSerialize::append(const std::vector<std::string>& from,
                                std::vector<std::string>& to) const {
    to.insert(to.end(), from.begin(), from.end());
    return static_cast<int>(from.size());
}

int UserConfigSerialize::getChinaMobileNumHeader(std::vector<std::string>& headers) {
    std::lock_guard<std::mutex> lock(mutex_);
    return append(mobile_, headers);
}

int UserConfigSerialize::getChinaUnicomNumHeader(std::vector<std::string>& headers) {
    std::lock_guard<std::mutex> lock(mutex_);
    return append(unicom_, headers);
}

int UserConfigSerialize::getChinaTeleComNumHeader(std::vector<std::string>& headers) {
    std::lock_guard<std::mutex> lock(mutex_);
    return append(telecom_, headers);
}

int UserConfigSerialize::setChinaMobileNumHeader(const std::vector<std::string>& headers) {
    std::lock_guard<std::mutex> lock(mutex_);
    mobile_ = headers;
    return 1;
}

int UserConfigSerialize::setChinaUnicomNumHeader(const std::vector<std::string>& headers) {
    std::lock_guard<std::mutex> lock(mutex_);
    unicom_ = headers;
    return 1;
}

int UserConfigSerialize::setChinaTeleComNumHeader(const std::vector<std::string>& headers) {
    std::lock_guard<std::mutex> lock(mutex_);
    telecom_ = headers;
    return 1;
}

}  // namespace Dmg
