// The main store on Main.dll ("database", "database1"): contact field
// settings and the send log (further operations arrive with their features).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "contracts/dmg/CFriendSetMsg.h"
#include "contracts/dmg/CSendLosgMsg.h"
#include "contracts/dmg/IDataSerialize.h"
#include "contracts/export.h"

namespace Dmg {

class DMG_API CLocalDataSerialize : public IDataSerialize {
public:
    CLocalDataSerialize();
    ~CLocalDataSerialize() override;

    virtual int initialize(const std::string& path, const std::string& password);
    virtual int close();

    virtual int readSetting(CFriendSetMsg& settings);
    virtual int setSetting(const CFriendSetMsg& settings);
    virtual int writeSendLog(const std::string& senderId, const std::string& senderExtra,
                             const std::string& text);
    virtual int readAllSendLog(std::vector<CSendLosgMsg>& out);

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace Dmg
