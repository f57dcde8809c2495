#include "contracts/dmg/CWord.h"

#include "components/data/RecordProperties.h"

namespace Dmg {
namespace {

using Properties = RecordProperties<CWord::WordData>;
using Data = CWord::WordData;

constexpr Properties::Text kTexts[] = {{"内容", &Data::content}};
constexpr Properties::Time kTimes[] = {{"添加时间", &Data::addTime}};

}  // namespace

CWord::CWord() = default;
CWord::CWord(const CWord& other) = default;
CWord& CWord::operator=(const CWord& other) = default;
CWord::CWord(CWord&& other) noexcept = default;
CWord& CWord::operator=(CWord&& other) noexcept = default;
CWord::~CWord() = default;

int CWord::addPropetyAndValue(const std::string& property, const std::string& value) {
    return Properties::set(m_data, kTexts, kTimes, property, value);
}

long CWord::getPropetyAndValueMap(std::map<std::string, std::string>& out) const {
    Properties::map(m_data, kTexts, kTimes, out);
    return 1;
}

}  // namespace Dmg
