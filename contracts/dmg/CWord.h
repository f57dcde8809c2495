// A phrase of the phrase library: the plain record WordData plus access by
// property name, the names under which import and export reach the fields.
//
// Properties and their text forms, the same both ways:
//   "内容"       the text
//   "添加时间"   "2011-3-7-8-5" (year-month-day-hour-minute); empty when unset.
//                Reading splits at '-', '/', ':' or blanks; missing parts are
//                0, a blank text is unset.
// getPropetyAndValueMap gives exactly these two (the record and group numbers
// are the store's, not the phrase's content).
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "contracts/dmg/CSmsData.h"
#include "contracts/export.h"

namespace Dmg {

class DMG_API CWord {
public:
    struct WordData {
        std::int32_t id = 0;       // record number
        std::int32_t groupId = 0;  // group number
        std::string content;       // "内容"
        CSmsData addTime;          // "添加时间"
    };

    CWord();
    CWord(const CWord& other);
    CWord& operator=(const CWord& other);
    CWord(CWord&& other) noexcept;
    CWord& operator=(CWord&& other) noexcept;
    virtual ~CWord();

    WordData& getWordStrut() { return m_data; }
    const WordData& getWordStrut() const { return m_data; }

    // Sets `property` from its text form: 1, or 0 for an unknown property
    // (nothing changes).
    int addPropetyAndValue(const std::string& property, const std::string& value);
    // Replaces `out` with every property and its text form; 1.
    long getPropetyAndValueMap(std::map<std::string, std::string>& out) const;

private:
    WordData m_data;
};

}  // namespace Dmg
