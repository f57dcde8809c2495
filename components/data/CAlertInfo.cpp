#include "contracts/dmg/CAlertInfo.h"

#include "components/data/RecordProperties.h"

namespace Dmg {
namespace {

using Properties = RecordProperties<CAlertInfo::AlertInfoData>;
using Data = CAlertInfo::AlertInfoData;

constexpr Properties::Text kTexts[] = {
    {"提醒类型", &Data::alertType},
    {"名字", &Data::ownerName},
    {"手机", &Data::phoneNum},
    {"内容", &Data::content},
};
constexpr Properties::Time kTimes[] = {
    {"激活时间", &Data::activeTime},
    {"添加时间", &Data::addTime},
};

}  // namespace

CAlertInfo::CAlertInfo() = default;
CAlertInfo::CAlertInfo(const CAlertInfo& other) = default;
CAlertInfo& CAlertInfo::operator=(const CAlertInfo& other) = default;
CAlertInfo::CAlertInfo(CAlertInfo&& other) noexcept = default;
CAlertInfo& CAlertInfo::operator=(CAlertInfo&& other) noexcept = default;
CAlertInfo::~CAlertInfo() = default;

int CAlertInfo::addPropetyAndValue(const std::string& property, const std::string& value) {
    return Properties::set(m_data, kTexts, kTimes, property, value);
}

long CAlertInfo::getPropetyAndValueMap(std::map<std::string, std::string>& out) const {
    Properties::map(m_data, kTexts, kTimes, out);
    return 1;
}

}  // namespace Dmg
