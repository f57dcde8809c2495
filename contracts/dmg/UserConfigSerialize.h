// The "userconfigfile" store: the user's configuration, here the mobile
// number prefixes of the three carriers.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "contracts/dmg/IDataSerialize.h"
#include "contracts/export.h"

namespace Dmg {

class DMG_API UserConfigSerialize : public IDataSerialize {
public:
    UserConfigSerialize();
    ~UserConfigSerialize() override;

    // Each appends the configured prefixes to `headers` and returns how many
    // it appended; 0 when none are configured.
    virtual int getChinaMobileNumHeader(std::vector<std::string>& headers);
    virtual int getChinaUnicomNumHeader(std::vector<std::string>& headers);
    virtual int getChinaTeleComNumHeader(std::vector<std::string>& headers);

    // Replace the configured prefixes; an empty list means "not configured".
    // Return 1.
    virtual int setChinaMobileNumHeader(const std::vector<std::string>& headers);
    virtual int setChinaUnicomNumHeader(const std::vector<std::string>& headers);
    virtual int setChinaTeleComNumHeader(const std::vector<std::string>& headers);

private:
    int append(const std::vector<std::string>& from, std::vector<std::string>& to) const;

    mutable std::mutex mutex_;
    std::vector<std::string> mobile_;
    std::vector<std::string> unicom_;
    std::vector<std::string> telecom_;
};

}  // namespace Dmg
