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

using Strings = std::vector<std::string>;
constexpr int kName = 0, kNumber = 1, kCompany = 8;  // personal flag indexes

// A main store that answers the contact field settings from memory.
class SettingsStore : public Dmg::CLocalDataSerialize {
public:
    Dmg::CFriendSetMsg settings;
    int readSetting(Dmg::CFriendSetMsg& out) override {
        out = settings;
        return 1;
    }
};

class Exposed : public SMS::CSendMsg {
public:
    using CSendMsg::minFind;
    using CSendMsg::stringFind;
};

struct Row {
    std::string text, expanded, pure;
    Strings values;
    int result = SMS::CSendMsg::kExpanded;
};

class SendMsgTest : public ::testing::Test {
protected:
    SendMsgTest() {
        usePersonal({kName, kNumber});
        contact.addPropetyAndValue("名字", "张三");
        contact.addPropetyAndValue("手机", "13800138000");
    }
    void usePersonal(const std::vector<int>& indexes) {
        for (bool& flag : store.settings.personalFlags) flag = false;
        for (const int i : indexes) store.settings.personalFlags[i] = true;
    }
    void expectRows(const std::vector<Row>& rows) {
        for (const Row& row : rows) {
            SCOPED_TRACE("template " + testing::PrintToString(row.text));
            SMS::CSendMsg msg;
            msg.setMsg(row.text);
            std::string expanded, pure;
            Strings values{"stale"};
            EXPECT_EQ(msg.getMsg(contact, expanded), row.result);
            EXPECT_EQ(expanded, row.expanded);
            EXPECT_EQ(msg.getPureMsg(pure), 1);
            EXPECT_EQ(pure, row.pure);
            EXPECT_EQ(msg.getPersonalInfo(contact, values), 1);
            EXPECT_EQ(values, row.values);
        }
    }

    SettingsStore store;
    fakes::ScopedStore scope{"database", &store};
    Dmg::CFriend contact;
};

TEST_F(SendMsgTest, ExpandsStripsAndListsValues) {
    expectRows({
        {"", "", "", {}},
        {"<姓名>你好,<姓名>!", "张三你好,张三!", "你好,!", {"张三"}},
        {"<号码>:<姓名>", "13800138000:张三", ":", {"张三", "13800138000"}},  // field order
        {"<公司>见", "<公司>见", "<公司>见", {}},                             // not personal
        {"<姓名 ><姓名", "<姓名 ><姓名", "<姓名 ><姓名", {}},
        {std::string("\0<姓名>", 7), std::string("\0张三", 5), std::string(1, '\0'), {"张三"}},
        {"a<<姓名>姓名>b", "a<张三姓名>b", "ab", {"张三"}},  // a cut joins a second one
        {"丂<姓名>亊", "丂张三亊", "丂亊", {"张三"}},        // trail bytes '@' and '~'
        // Not valid GBK: stray bytes (octal escapes) stand for themselves.
        {"\377<姓名>\201", "\377张三\201", "\377\201", {"张三"}},
        {"\201<号码>", "\20113800138000", "\201", {"13800138000"}},
        {"\377a<<姓名>姓名>b", "\377a<张三姓名>b", "\377ab", {"张三"}},
    });
    contact.addPropetyAndValue("名字", "<姓名>/<号码>");  // later fields only
    expectRows({{"[<姓名>]", "[<姓名>/13800138000]", "[]", {"<姓名>/<号码>"}}});
    contact.addPropetyAndValue("名字", "");
    expectRows({{"x<姓名>y", "xy", "xy", {""}}});
}

// Regression: an unreadable value left "<姓名>" in the text to be sent while
// the expansion reported success.
TEST_F(SendMsgTest, UnreadableValueIsReported) {
    std::string& property = CFriendSet::inistance()->m_labelToProperty.at("姓名");
    const std::string saved = property;
    property = "没有这个属性";
    expectRows({{"<姓名><号码><姓名>", "<姓名>13800138000<姓名>", "", {"13800138000"}, -1},
                {"<号码>", "13800138000", "", {"13800138000"}}});
    property = saved;
}

TEST_F(SendMsgTest, ChangedPersonalFieldsApplyFromTheNextCall) {
    SMS::CSendMsg msg;
    msg.setMsg("<公司><姓名>");
    std::string first, second;
    msg.getPureMsg(first);
    usePersonal({kCompany});
    msg.getPureMsg(second);
    EXPECT_EQ(first + "|" + second, "<公司>|<姓名>");
}

TEST(SendMsgText, CountsAndFindsByGbkCharacter) {
    // clang-format off
    const std::pair<std::string, int> counts[] = {
        {"", 0}, {"hello", 5}, {"中文", 2}, {"丂亊", 2} /* low trail bytes */, {"a丂b", 3},
        {"a\201", 2} /* lone lead byte */, {"\201\177", 2}, {"\200\377", 2},
        {std::string("a\0b", 3), 3}};
    const std::tuple<std::string, std::string, int> finds[] = {
        {"abc", "c", 2}, {"abc", "abcd", -1}, {"abc", "x", -1}, {"abc", "", 0},
        {"丂@", "@", 2} /* the first '@' is the trail byte of "丂" */, {"丂@", "@@", -1},
        {"中文", "\320\316", -1}, {"中文", "文", 2}};
    // clang-format on
    const Exposed msg;
    for (const auto& [text, count] : counts) {
        SCOPED_TRACE(testing::PrintToString(text));
        EXPECT_EQ(msg.getMsgWord(text), count);
    }
    for (const auto& [haystack, needle, index] : finds) {
        SCOPED_TRACE(testing::PrintToString(haystack) + " / " + needle);
        EXPECT_EQ(msg.stringFind(haystack, needle), index);
    }
    EXPECT_EQ(msg.minFind({5, 2, 9, 2}), 1);
    EXPECT_EQ(msg.minFind({-1, -5}), 1);
    EXPECT_EQ(msg.minFind({}), -1);
}

}  // namespace
