// Words the carriers refuse in a message ("rejectwords"), kept in Main.dll.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "contracts/dmg/IDataSerialize.h"
#include "contracts/export.h"

namespace Dmg {

class DMG_API CRejectWordsDataSerialize : public IDataSerialize {
public:
    CRejectWordsDataSerialize();
    ~CRejectWordsDataSerialize() override;

    virtual int initialize(const std::string& path, const std::string& password);
    virtual int close();

    // 0, with the word in `word`, when `text` holds a reject word; else 1.
    virtual int testWord(const std::string& text, std::string& word);
    // Replace or read the list. Setting needs an open store: 0 (logged) when
    // it is closed or the file cannot be written, with the list unchanged.
    virtual int setRejectWords(const std::vector<std::string>& words);
    virtual int getRejectWords(std::vector<std::string>& out);

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace Dmg
