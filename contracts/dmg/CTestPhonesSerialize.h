// The user's test numbers ("testphonenum"), kept in Main.dll: they receive
// the first, small packets of a send so the user sees the message arrive.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "contracts/dmg/CSendQueueElement.h"
#include "contracts/dmg/IDataSerialize.h"
#include "contracts/export.h"

namespace Dmg {

class DMG_API CTestPhonesSerialize : public IDataSerialize {
public:
    CTestPhonesSerialize();
    ~CTestPhonesSerialize() override;

    virtual int initialize(const std::string& path, const std::string& password);
    virtual int close();

    // Reorders the send list for the test numbers (see the implementation).
    virtual int reAssignSendQueue(std::vector<CSendQueueElement>& list);
    // Needs an open store: 0 (logged) when it is closed or the file cannot be
    // written, with the list unchanged.
    virtual int setTestPhones(const std::vector<std::string>& phones);
    virtual int getTestPhones(std::vector<std::string>& out);

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace Dmg
