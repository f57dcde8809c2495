// A contact of the address book: the plain record FriendData plus access by
// property name ("手机", "名字", ...), the names under which the user
// interface, templates, import and export reach the fields.
//
// Text forms of the non-text fields, the same both ways:
//   "性别"                      "男" (true) / "女" (false)
//   "婚否", "发送生日提醒",
//   "生日提醒", "个性签名"      "是" (true) / "否" (false); "已婚" also reads as true
//   "生日"                      "1980-5-17", or "1980-5-17-8-30" when a time is set;
//                               empty when unset. Reading splits at '-', '/', ':' or
//                               blanks, so "1980-05-17 08:30" reads too; missing
//                               parts are 0, a blank text is unset.
//   "ID", "所属组ID"            decimal
#pragma once

#include <cstdint>
#include <string>

#include "contracts/dmg/CSmsData.h"
#include "contracts/export.h"

namespace Dmg {

class DMG_API CFriend {
public:
    struct FriendData {
        std::int32_t id = 0;               // "ID"
        std::string name;                  // "名字"
        std::string mobile;                // "手机"
        std::string telephone;             // "电话"
        std::string email;                 // "邮箱"
        bool sex = false;                  // "性别", true = male
        CSmsData birthday;                 // "生日"
        bool marriage = false;             // "婚否", true = married
        std::string company;               // "公司"
        std::string career;                // "职业"
        std::string address;               // "地址"
        std::string postcode;              // "邮编"
        bool sendBirthdayAlert = false;    // "发送生日提醒"
        std::int32_t groupIdsCode = 0;     // "所属组ID"
        bool birthdayAlert = false;        // "生日提醒"
        bool personalMessage = false;      // "个性签名"
        std::string messageContent;        // "生日短语内容"
        std::string title;                 // "尊称"
        std::string comment;               // "注释"
        std::string spare1;                // "备用1" ... "备用6"
        std::string spare2;
        std::string spare3;
        std::string spare4;
        std::string spare5;
        std::string spare6;
    };

    FriendData& getFirendStrut() { return m_data; }
    const FriendData& getFirendStrut() const { return m_data; }

    // The text form of `property` into `value`: 1, also for an empty field;
    // 0 for an unknown property, with `value` untouched.
    long getValue(const std::string& property, std::string& value) const;
    // Sets `property` from its text form: 1, or 0 for an unknown property
    // (nothing changes).
    int addPropetyAndValue(const std::string& property, const std::string& value);
    // The contact's name; 1.
    long getName(std::string& name) const;

private:
    FriendData m_data;
};

}  // namespace Dmg
