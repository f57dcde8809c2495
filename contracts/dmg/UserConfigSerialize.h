// The "userconfigfile" store on Main.dll: the user's configuration, here the
// mobile number prefixes of the three carriers. The lists are read while the
// store is open and kept in memory after close(); they are set only while it
// is open.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "contracts/dmg/IDataSerialize.h"
#include "contracts/export.h"

namespace Dmg {

class DMG_API UserConfigSerialize : public IDataSerialize {
public:
    UserConfigSerialize();
    ~UserConfigSerialize() override;

    // Loads the lists from the file (creating it when missing), replacing
    // those in memory, and keeps them in step with it from then on. 0, with
    // the lists unchanged, when the file cannot be opened or read.
    virtual int initialize(const std::string& path, const std::string& password);
    virtual int close();

    // Each appends the configured prefixes to `headers` and returns how many
    // it appended; 0 when none are configured.
    virtual int getChinaMobileNumHeader(std::vector<std::string>& headers);
    virtual int getChinaUnicomNumHeader(std::vector<std::string>& headers);
    virtual int getChinaTeleComNumHeader(std::vector<std::string>& headers);

    // Replace the configured prefixes; an empty list means "not configured".
    // Return 1; 0 (logged), with the list unchanged, when the store is closed
    // or the file cannot be written.
    virtual int setChinaMobileNumHeader(const std::vector<std::string>& headers);
    virtual int setChinaUnicomNumHeader(const std::vector<std::string>& headers);
    virtual int setChinaTeleComNumHeader(const std::vector<std::string>& headers);

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace Dmg
