#include "contracts/dmg/CFriend.h"

#include <string_view>
#include <vector>

#include "contracts/base/StringConverter.h"
#include "components/data/TimeText.h"

namespace Dmg {
namespace {

using Data = CFriend::FriendData;

struct TextField {
    std::string_view property;  // compared by length first
    std::string Data::*field;
};

struct FlagField {
    std::string_view property;  // compared by length first
    bool Data::*field;
    const char* trueText;
    const char* falseText;
};

struct IntField {
    std::string_view property;  // compared by length first
    std::int32_t Data::*field;
};

constexpr TextField kTextFields[] = {
    {"名字", &Data::name},
    {"手机", &Data::mobile},
    {"电话", &Data::telephone},
    {"邮箱", &Data::email},
    {"公司", &Data::company},
    {"职业", &Data::career},
    {"地址", &Data::address},
    {"邮编", &Data::postcode},
    {"生日短语内容", &Data::messageContent},
    {"尊称", &Data::title},
    {"注释", &Data::comment},
    {"备用1", &Data::spare1},
    {"备用2", &Data::spare2},
    {"备用3", &Data::spare3},
    {"备用4", &Data::spare4},
    {"备用5", &Data::spare5},
    {"备用6", &Data::spare6},
};

constexpr FlagField kFlagFields[] = {
    {"性别", &Data::sex, "男", "女"},
    {"婚否", &Data::marriage, "是", "否"},
    {"发送生日提醒", &Data::sendBirthdayAlert, "是", "否"},
    {"生日提醒", &Data::birthdayAlert, "是", "否"},
    {"个性签名", &Data::personalMessage, "是", "否"},
};

constexpr IntField kIntFields[] = {
    {"ID", &Data::id},
    {"所属组ID", &Data::groupIdsCode},
};

constexpr std::string_view kBirthday = "生日";
// Other programs write a married contact this way.
constexpr const char* kMarriedAlias = "已婚";

template <typename Field, std::size_t N>
const Field* find(const Field (&table)[N], const std::string& property) {
    for (const Field& f : table) {
        if (property == f.property) return &f;
    }
    return nullptr;
}

bool parseFlag(const FlagField& f, const std::string& value) {
    return value == f.trueText || (f.field == &Data::marriage && value == kMarriedAlias);
}

// "1980-5-17", with "-hour-minute" only when a time is set, so that a
// birthday reads back exactly and a plain date searches as itself.
std::string formatBirthday(const CSmsData& d) {
    if (d.isUnset()) return {};
    using Base::StringConverter;
    std::string text = StringConverter::toString(d.year) + "-" + StringConverter::toString(d.month) +
                       "-" + StringConverter::toString(d.day);
    if (d.hour != 0 || d.minute != 0) {
        text += "-" + StringConverter::toString(d.hour) + "-" + StringConverter::toString(d.minute);
    }
    return text;
}

}  // namespace

long CFriend::getValue(const std::string& property, std::string& value) const {
    if (const TextField* f = find(kTextFields, property)) {
        value = m_data.*(f->field);
    } else if (const FlagField* f = find(kFlagFields, property)) {
        value = m_data.*(f->field) ? f->trueText : f->falseText;
    } else if (const IntField* f = find(kIntFields, property)) {
        value = Base::StringConverter::toString(static_cast<int>(m_data.*(f->field)));
    } else if (property == kBirthday) {
        value = formatBirthday(m_data.birthday);
    } else {
        return 0;
    }
    return 1;
}

int CFriend::addPropetyAndValue(const std::string& property, const std::string& value) {
    if (const TextField* f = find(kTextFields, property)) {
        m_data.*(f->field) = value;
    } else if (const FlagField* f = find(kFlagFields, property)) {
        m_data.*(f->field) = parseFlag(*f, value);
    } else if (const IntField* f = find(kIntFields, property)) {
        m_data.*(f->field) = Base::StringConverter::toInt(value);
    } else if (property == kBirthday) {
        m_data.birthday = parseTimeText(value);
    } else {
        return 0;
    }
    return 1;
}

long CFriend::getName(std::string& name) const {
    name = m_data.name;
    return 1;
}

}  // namespace Dmg
