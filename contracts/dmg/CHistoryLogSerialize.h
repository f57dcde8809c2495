// The sent history on HLog.dll ("historylog").
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "contracts/dmg/CHistoryMsg.h"
#include "contracts/dmg/CSmsData.h"
#include "contracts/dmg/IDataSerialize.h"
#include "contracts/export.h"

namespace Dmg {

class DMG_API CHistoryLogSerialize : public IDataSerialize {
public:
    CHistoryLogSerialize();
    ~CHistoryLogSerialize() override;

    virtual int initialize(const std::string& path, const std::string& password);
    virtual int close();

    virtual int getAllLog(std::vector<CHistoryMsg>& out);
    virtual int getNewLog(std::vector<CHistoryMsg>& out);
    virtual int select(const int& a, const int& b, std::vector<CHistoryMsg>& out);
    virtual int select(const CSmsData& from, const CSmsData& to, const bool& flag,
                       const std::string& key, std::vector<CHistoryMsg>& out);
    virtual int delLog(const int& number);
    // Deletes the rows numbered in `numbers` in one transaction (numbers
    // without a row are passed over): 1, or 0 with nothing deleted.
    virtual int delLogs(const std::vector<int>& numbers);

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace Dmg
