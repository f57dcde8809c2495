// Numbers that must not be sent to ("rejectphones"), kept in Main.dll.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "contracts/dmg/IDataSerialize.h"
#include "contracts/export.h"

namespace Dmg {

class DMG_API CRejectPhonesDataSerialize : public IDataSerialize {
public:
    CRejectPhonesDataSerialize();
    ~CRejectPhonesDataSerialize() override;

    virtual int initialize(const std::string& path, const std::string& password);
    virtual int close();

    // 0 when `phone` is on the list; else 1.
    virtual int testPhone(const std::string& phone);
    // Needs an open store: 0 (logged) when it is closed or the file cannot be
    // written, with the list unchanged.
    virtual int setRejectPhones(const std::vector<std::string>& phones);
    virtual int getRejectPhones(std::vector<std::string>& out);

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace Dmg
