#include <gtest/gtest.h>

#include "contracts/dmg/CSmsData.h"

namespace {

TEST(SmsData, TextFormsAndOrder) {
    const struct {
        Dmg::CSmsData when;
        const char* text;  // the full form adds ":00"
    } cases[] = {
        {{}, ""},  // unset: every field -1
        {{2026, 12, 6, 8, 5}, "2026-12-06 08:05"},
        // Partly set values are shown as they are, never cut short.
        {{2011, -1, 7, 0, 0}, "2011--1-07 00:00"},
        {{2147483647, -2147483647 - 1, 0, 0, 0}, "2147483647--2147483648-00 00:00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.when.isUnset(), *c.text == '\0');
        EXPECT_EQ(c.when.getString(), c.text);
        EXPECT_EQ(c.when.getFullString(), *c.text ? c.text + std::string(":00") : "");
    }
    const Dmg::CSmsData a(2026, 1, 31, 23, 59), later(2026, 2, 1, 0, 0);
    EXPECT_TRUE(a < later && !(later < a) && !(a == later) && a == Dmg::CSmsData(a));
}

}  // namespace
