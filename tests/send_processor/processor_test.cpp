#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "addressbook/CFriendSet.h"
#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CRejectWordsDataSerialize.h"
#include "phone/CPhoneNumMag.h"
#include "send/CSmsMsgProcessor.h"
#include "send/CUserInfo.h"
#include "tests/fakes/ScopedStore.h"
#include "tests/fakes/TempDir.h"

namespace {

using SMS::CSmsMsgProcessor;
using Counts = std::array<int, 4>;
using Elements = std::vector<Dmg::CSendQueueElement>;

Dmg::CFriend contact(const std::string& name, const std::string& mobile) {
    Dmg::CFriend c;
    c.addPropetyAndValue("名字", name);
    c.addPropetyAndValue("手机", mobile);
    return c;
}

Counts counts(const CSmsMsgProcessor& p) {
    Counts c{};
    p.getPhoneNum(c[0], c[1], c[2], c[3]);
    return c;
}

// "number:text" of every entry in the order of adding, "+c" with a contact,
// "+l" when leading.
std::string entries(const CSmsMsgProcessor& p) {
    CSmsMsgProcessor::IdOrderedMap byId;
    p.switchPhoneMapKeyValue(byId);
    std::string out;
    for (const auto& [r, number] : byId) {
        out += number + ":" + r.message + (r.hasContact ? "+c" : "") + (r.leading ? "+l;" : ";");
    }
    return out;
}

TEST(Recipients, DuplicatesRefusalsCountersAndIds) {
    const std::string bad = "1380013800";  // 10 digits: no carrier class
    const Dmg::CFriend c = contact("张三", bad);
    for (const bool dup : {true, false}) {
        SCOPED_TRACE(dup);
        CSmsMsgProcessor p, other;
        int first = 0, second = -7, refused = -7, next = 0;
        ASSERT_EQ(p.addPhone("13800138000", "a", dup, first), 1);
        EXPECT_EQ(p.addPhone("13800138000", "b", dup, second), dup ? -1 : 1);
        EXPECT_EQ(counts(p), (Counts{dup ? 1 : 2, 0, 0, 0}));
        EXPECT_EQ(second, dup ? -7 : first + 1);
        // Every add refuses a number of no class; a refusal takes no id from
        // the counter that all processors share.
        const int results[] = {other.addPhone(bad, c, "x", dup, refused),
                               other.addPhone(bad, c, dup, refused),
                               other.addPhone(bad, "x", dup, refused),
                               other.addPhone(bad, true, dup, refused),
                               other.addPhone(c, dup, refused),
                               other.addPhoneHistory(bad, "x", refused)};
        for (const int result : results) EXPECT_EQ(result, -1);
        ASSERT_EQ(other.addPhoneHistory("13800138000", "", next), 1);
        EXPECT_EQ(next - first, dup ? 1 : 2);
        EXPECT_EQ(std::to_string(refused) + " " + entries(other), "-7 13800138000:;");
        EXPECT_EQ(counts(other), (Counts{1, 0, 0, 0}));
    }
}

TEST(Recipients, ContactsTextsAndLeadingFlags) {
    CSmsMsgProcessor p;
    int id = 0;
    p.addPhone(contact("张三", "13012345678"), true, id);
    p.addPhone("18912345678", true, true, id);
    // Regression: a literal text once bound to the leading-flag overload.
    p.addPhone("18912345678", "你好", false, id);
    EXPECT_EQ(entries(p), "13012345678:+c;18912345678:+l;18912345678:你好;");
    p.setPhoneMsg("18912345678", "新");
    p.setPhone("18912345678", contact("李四", "18912345678"));
    EXPECT_EQ(entries(p), "13012345678:+c;18912345678:新+c+l;18912345678:新+c;");
    EXPECT_EQ(counts(p), (Counts{0, 1, 2, 0}));
}

TEST(Recipients, DelPhoneMatchesNumberAndIdAndClassifiesAgain) {
    CSmsMsgProcessor p;
    int yd = 0, xlt = 0;
    p.addPhone("13912345678", "", false, yd);
    p.addPhone("01012345678", "", false, xlt);
    EXPECT_EQ(p.delPhone("13912345678", yd + 100) + p.delPhone("01012345678", yd), 2);
    EXPECT_EQ(counts(p), (Counts{1, 0, 0, 1}));
    // 139 moves to China Unicom: the Unicom counter is the one lowered.
    SMS::CPhoneNumMag& mag = *SMS::CPhoneNumMag::inistance();
    mag.Init({"138"}, {"139"}, {"189"});
    p.delPhone("13912345678", yd);
    mag.Init({"134", "135", "136", "137", "138", "139", "158", "159", "188"},
             {"130", "131", "132", "156"}, {"133", "153", "189"});
    EXPECT_EQ(counts(p), (Counts{1, -1, 0, 1}));
}

// Refuses a text that holds `word` and counts the texts tested.
class RecordingRejectWords : public Dmg::CRejectWordsDataSerialize {
public:
    std::string word = "\xFF";
    int calls = 0;
    int testWord(const std::string& text, std::string&) override {
        ++calls;
        return text.find(word) == std::string::npos ? 1 : 0;
    }
};

// "first|second" of the messages of a run, and of its check states.
std::string run(CSmsMsgProcessor& p, bool check, std::string* states = nullptr) {
    Elements e;
    p.getSendQueue(e, check);
    if (states) *states = std::to_string(e.at(0).checkState) + "|" + std::to_string(e.at(1).checkState);
    return e.at(0).message + "|" + e.at(1).message;
}

// A contact (own text "联系人") and a plain number (own text "自带").
class Composition : public ::testing::Test {
protected:
    Composition() {
        p.addPhone("13800138000", contact("张三", "13800138000"), "联系人", true, id);
        p.addPhone("13012345678", "自带", true, id);
        p.setCompanyEnder("司");
    }
    RecordingRejectWords store;
    fakes::ScopedStore scope{"rejectwords", &store};
    CSmsMsgProcessor p;
    int id = 0;
};

TEST_F(Composition, TextsStatesAndStoreCalls) {
    const char* const templ = "<姓名>好<号码>";
    const char* const expanded = "张三好13800138000司|好司";
    struct Row {
        const char* text;  // null: no setSendMsg
        bool personal, ender;
        std::string word, texts, states;
        int calls;
    };
    const Row rows[] = {
        {nullptr, true, true, "", "联系人|自带", "0|0", 0},
        {templ, false, true, "", "<姓名>好<号码>司|<姓名>好<号码>司", "0|0", 1},
        {"通知", true, true, "", "通知司|通知司", "0|0", 1},
        {templ, true, true, "", expanded, "0|1", 4},  // signature, pure text, two values
        {templ, true, false, "", "张三好13800138000|好", "0|1", 3},
        {"通知", true, true, "司", "通知司|通知司", "-1|-1", 1},
        {templ, true, true, "好", expanded, "-1|-1", 2},
        {templ, true, true, "张", expanded, "-1|1", 3},  // stops at the failing value
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.texts + " " + row.word);
        CSmsMsgProcessor q(p);
        if (row.text != nullptr) q.setSendMsg(row.text);
        q.setPersonalSms(row.personal);
        if (!row.ender) q.cancleCompanyEnder();
        store.word = row.word.empty() ? "\xFF" : row.word;
        store.calls = 0;
        std::string states, unchecked;
        EXPECT_EQ(run(q, true, &states), row.texts);
        EXPECT_EQ(states + " " + std::to_string(store.calls), row.states + " " + std::to_string(row.calls));
        run(q, false, &unchecked);
        EXPECT_EQ(unchecked, "0|0");
    }
}

// Regression: a contact rejected once and corrected since must not stay
// rejected, and a clean one must stay untested for the pipeline's test.
TEST_F(Composition, StatesOfAnEarlierRunDoNotStick) {
    store.word = "坏";
    p.setSendMsg("<姓名>");
    p.setPersonalSms(true);
    p.setPhone("13800138000", contact("坏人", "13800138000"));
    std::string first, second;
    run(p, true, &first);
    p.setPhone("13800138000", contact("好人", "13800138000"));
    run(p, true, &second);
    EXPECT_EQ(first + " " + second, "-1|1 0|1");
}

// A template that cannot be filled for a contact must not go out with raw
// placeholders: the contact gets the pure text and is rejected.
TEST_F(Composition, UnfillableTemplateRejectsTheContact) {
    auto& table = CFriendSet::inistance()->m_labelToProperty;
    const std::string saved = table.at("姓名");
    table["姓名"] = "无此属性";
    p.setSendMsg("<姓名>好");
    p.setPersonalSms(true);
    std::string states;
    const std::string texts = run(p, false, &states) + " " + states;
    table["姓名"] = saved;
    EXPECT_EQ(texts, "好司|好司 -1|0");
}

TEST_F(Composition, ElementFields) {
    SMS::CUserInfo::instance()->senderId = "用户";
    p.addPhone("13912345678", true, true, id);
    const Dmg::CSmsData when(2026, 12, 6, 8, 5);
    p.setTimer(when);
    p.setTimerMsg(false);
    Elements e(1);  // appended to, not replaced
    ASSERT_EQ(p.getSendQueue(e, true), 1);
    std::string seen;
    for (const auto& el : e) seen += el.phone + ":" + el.encodedName + (el.leading ? "+l;" : ";");
    // In the order of adding; the name is Base64 of the GBK bytes of 张三.
    EXPECT_EQ(seen, ":;13800138000:1cXI/Q==;13012345678:;13912345678:+l;");
    EXPECT_EQ(e[3].timerFlag * 10 + e[3].timerDetail, 1);
    EXPECT_EQ(e[3].timerData, when);
    EXPECT_EQ(e[3].senderId, "用户");
}

// The real store matches whole GBK characters only.
TEST(CompositionOnRealStores, RejectWords) {
    const fakes::TempDir dir;
    auto& data = Dmg::CDataManager::getSingleton();
    ASSERT_EQ(data.openUserData(dir.path()), 1);
    // "“" is the bytes A1 B0, found across the two characters of "啊啊".
    static_cast<Dmg::CRejectWordsDataSerialize*>(data.getDataSerialize("rejectwords"))
        ->setRejectWords({"“", "坏"});
    CSmsMsgProcessor p;
    int id = 0;
    p.addPhone("13800138000", contact("啊啊", "13800138000"), true, id);
    p.addPhone("13012345678", contact("坏人", "13012345678"), true, id);
    p.setSendMsg("啊<姓名>");
    p.setPersonalSms(true);
    p.setCompanyEnder("啊");
    std::string states;
    EXPECT_EQ(run(p, true, &states) + " " + states, "啊啊啊啊|啊坏人啊 0|-1");
    data.closeUserData();
}

}  // namespace
