// An SMS reminder: the plain record AlertInfoData plus access by property
// name.
//
// Properties and their text forms, the same both ways:
//   "提醒类型", "名字", "手机", "内容"   text
//   "激活时间", "添加时间"               "2011-12-24-8-0" (year-month-day-hour-minute);
//                                        empty when unset. Reading splits at '-',
//                                        '/', ':' or blanks; missing parts are 0,
//                                        a blank text is unset.
// getPropetyAndValueMap gives exactly these six.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "contracts/dmg/CSmsData.h"
#include "contracts/export.h"

namespace Dmg {

class DMG_API CAlertInfo {
public:
    struct AlertInfoData {
        std::int32_t id = 0;       // record number
        std::int32_t groupId = 0;  // group number
        std::string alertType;     // "提醒类型"
        std::string ownerName;     // "名字"
        std::string phoneNum;      // "手机"
        std::string content;       // "内容"
        CSmsData activeTime;       // "激活时间"
        CSmsData addTime;          // "添加时间"
    };

    CAlertInfo();
    CAlertInfo(const CAlertInfo& other);
    CAlertInfo& operator=(const CAlertInfo& other);
    CAlertInfo(CAlertInfo&& other) noexcept;
    CAlertInfo& operator=(CAlertInfo&& other) noexcept;
    virtual ~CAlertInfo();

    AlertInfoData& getAlertInfoStrut() { return m_data; }
    const AlertInfoData& getAlertInfoStrut() const { return m_data; }

    // Sets `property` from its text form: 1, or 0 for an unknown property.
    int addPropetyAndValue(const std::string& property, const std::string& value);
    // Replaces `out` with every property and its text form; 1.
    long getPropetyAndValueMap(std::map<std::string, std::string>& out) const;

private:
    AlertInfoData m_data;
};

}  // namespace Dmg
