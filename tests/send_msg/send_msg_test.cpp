#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "addressbook/CFriendSet.h"
#include "contracts/dmg/CLocalDataSerialize.h"
#include "send/CSendMsg.h"
#include "tests/fakes/ScopedStore.h"

namespace {

constexpr int kName = 0, kNumber = 1, kCompany = 8;  // personal flag indexes

// A main store that answers the contact field settings from memory.
struct SettingsStore : Dmg::CLocalDataSerialize {
    Dmg::CFriendSetMsg settings;
    int readSetting(Dmg::CFriendSetMsg& out) override { return out = settings, 1; }
};

struct Exposed : SMS::CSendMsg { using CSendMsg::minFind, CSendMsg::stringFind; };

struct SendMsgTest : ::testing::Test {
    SendMsgTest() {
        usePersonal({kName, kNumber});
        contact.addPropetyAndValue("名字", "张三");
        contact.addPropetyAndValue("手机", "13800138000");
    }
    void usePersonal(const std::vector<int>& indexes) {
        for (bool& flag : store.settings.personalFlags) flag = false;
        for (const int i : indexes) store.settings.personalFlags[i] = true;
    }
    // Template -> "result expanded|pure|value|value...".
    void expectRows(const std::vector<std::pair<std::string, std::string>>& rows) {
        for (const auto& [text, expected] : rows) {
            SCOPED_TRACE("template " + testing::PrintToString(text));
            SMS::CSendMsg msg;
            msg.setMsg(text);
            std::string expanded, pure;
            std::vector<std::string> values{"stale"};
            const int result = msg.getMsg(contact, expanded);
            msg.getPureMsg(pure), msg.getPersonalInfo(contact, values);
            std::string seen = std::to_string(result) + " " + expanded + "|" + pure;
            for (const std::string& value : values) seen += "|" + value;
            EXPECT_EQ(seen, expected);
        }
    }

    SettingsStore store;
    fakes::ScopedStore scope{"database", &store};
    Dmg::CFriend contact;
};

TEST_F(SendMsgTest, ExpandsStripsAndListsValues) {
    expectRows({
        {"", "1 |"},
        {"<姓名>你好,<姓名>!", "1 张三你好,张三!|你好,!|张三"},
        {"<号码>:<姓名>", "1 13800138000:张三|:|张三|13800138000"},  // field order
        {"<公司>见", "1 <公司>见|<公司>见"},                           // not personal
        {"<姓名 ><姓名", "1 <姓名 ><姓名|<姓名 ><姓名"},
        {std::string("\0<姓名>", 7), std::string("1 \0张三|\0|张三", 14)},
        {"a<<姓名>姓名>b", "1 a<张三姓名>b|ab|张三"},  // a cut joins a second one
        // Regression: a cut of a later field joined one of an earlier field,
        // which the pure text kept.
        {"<姓<号码>名>", "1 <姓13800138000名>||13800138000"},
        {"丂<姓名>亊", "1 丂张三亊|丂亊|张三"},        // trail bytes '@' and '~'
        // Not valid GBK: stray bytes (octal escapes) stand for themselves.
        {"\377<姓名>\201", "1 \377张三\201|\377\201|张三"},
        {"\201<号码>", "1 \20113800138000|\201|13800138000"},
    });
    contact.addPropetyAndValue("名字", "<姓名>/<号码>");  // later fields only
    expectRows({{"[<姓名>]", "1 [<姓名>/13800138000]|[]|<姓名>/<号码>"}});
    // A changed choice applies from the next call.
    contact.addPropetyAndValue("名字", ""), usePersonal({kCompany, kName});
    expectRows({{"x<姓名>y<公司>", "1 xy|xy||"}});
    // Regression: an unreadable value left "<姓名>" in the text to be sent
    // while the expansion reported success.
    std::string& property = CFriendSet::inistance()->m_labelToProperty.at("姓名");
    const std::string saved = property;
    property = "没有这个属性", usePersonal({kName, kNumber});
    expectRows({{"<姓名><号码><姓名>", "-1 <姓名>13800138000<姓名>||13800138000"},
                {"<号码>", "1 13800138000||13800138000"}});
    property = saved;
}

TEST(SendMsgText, CountsAndFindsByGbkCharacter) {
    // clang-format off
    const std::pair<std::string, int> counts[] = {
        {"", 0}, {"中文", 2}, {"丂亊", 2} /* low trail bytes */, {"a丂b", 3},
        {"a\201", 2} /* lone lead byte */, {"\201\177", 2}, {"\200\377", 2},
        {std::string("a\0b", 3), 3}};
    const std::tuple<std::string, std::string, int> finds[] = {
        {"abc", "c", 2}, {"abc", "abcd", -1}, {"abc", "x", -1}, {"abc", "", 0},
        {"丂@", "@", 2} /* the first '@' is the trail byte of "丂" */, {"丂@", "@@", -1},
        {"中文", "\320\316", -1}, {"中文", "文", 2}};
    // clang-format on
    const Exposed msg;
    for (const auto& [text, count] : counts) {
        EXPECT_EQ(msg.getMsgWord(text), count) << testing::PrintToString(text);
    }
    for (const auto& [haystack, needle, index] : finds) {
        EXPECT_EQ(msg.stringFind(haystack, needle), index) << haystack << " / " << needle;
    }
    EXPECT_EQ(msg.minFind({5, 2, 9, 2}) * 10 + msg.minFind({-1, -5}), 11);
    EXPECT_EQ(msg.minFind({}), -1);
}

}  // namespace
