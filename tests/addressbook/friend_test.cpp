#include <gtest/gtest.h>

#include <string>

#include "contracts/dmg/CFriend.h"

namespace {

using Dmg::CFriend;

std::string valueOf(const CFriend& c, const std::string& property) {
    std::string value = "untouched";
    return c.getValue(property, value) == 1 ? value : "refused, " + value;
}

TEST(Friend, TextPropertiesHaveFieldsOthersAreConvertedUnknownOnesRefused) {
    // Text properties: the robustness test reads each back with bytes of all
    // kinds, the upload test finds most in their fields; the rest here.
    CFriend c;
    for (const char* p : {"备用5", "备用6", "生日短语内容"}) c.addPropetyAndValue(p, p);
    const CFriend::FriendData& d = c.getFirendStrut();
    EXPECT_EQ(d.spare5 + d.spare6 + d.messageContent, "备用5备用6生日短语内容");
    EXPECT_EQ(valueOf(c, "备用5"), "备用5");

    // Converted properties are written and read back as text; the text read
    // back sets the same value. An unknown property changes nothing.
    const struct {
        const char *property, *written, *readBack;
    } cases[] = {
        {"性别", "男", "男"},   {"性别", "male", "女"},  {"婚否", "已婚", "是"},
        {"婚否", "", "否"},     {"生日提醒", "是", "是"}, {"个性签名", "1", "否"},
        {"生日", "1980-5-17", "1980-5-17"},   {"生日", "1980-05", "1980-5-0"},
        {"生日", "1980-05-17 08:30", "1980-5-17-8-30"},  {"生日", "1980/5/17", "1980-5-17"},
        {"生日", "2001-1-2-3-4-5", "2001-1-2-3-4"},      {"生日", " ", ""},
        {"ID", "-7", "-7"},     {"所属组ID", "12abc", "12"}, {"所属组ID", "abc", "0"},
        {"姓名", "x", "refused, untouched"}, {"名字 ", "x", "refused, untouched"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(std::string(row.property) + " <- \"" + row.written + "\"");
        CFriend contact, again;
        EXPECT_EQ(contact.addPropetyAndValue(row.property, row.written), row.readBack[0] != 'r');
        EXPECT_EQ(valueOf(contact, row.property), row.readBack);
        again.addPropetyAndValue(row.property, valueOf(contact, row.property));
        EXPECT_EQ(valueOf(again, row.property), row.readBack);
    }
}

}  // namespace
