#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "addressbook/CFriendSet.h"
#include "contracts/dmg/CRejectWordsDataSerialize.h"
#include "phone/CPhoneNumMag.h"
#include "send/CSmsMsgProcessor.h"
#include "send/CUserInfo.h"
#include "tests/fakes/ScopedStore.h"

namespace {

using SMS::CSmsMsgProcessor;
using Elements = std::vector<Dmg::CSendQueueElement>;

Dmg::CFriend contact(const std::string& name, const std::string& mobile) {
    Dmg::CFriend c;
    c.addPropetyAndValue("名字", name);
    c.addPropetyAndValue("手机", mobile);
    return c;
}

// The class counters YD LT DX XLT, then "number:text" of every entry in the
// order of adding, "+c" with a contact, "+l" when leading.
std::string state(const CSmsMsgProcessor& p) {
    int yd = 0, lt = 0, dx = 0, xlt = 0;
    p.getPhoneNum(yd, lt, dx, xlt);
    std::string out =
        std::to_string(yd) + std::to_string(lt) + std::to_string(dx) + std::to_string(xlt);
    CSmsMsgProcessor::IdOrderedMap byId;
    p.switchPhoneMapKeyValue(byId);
    for (const auto& [r, n] : byId) {
        out += " " + n + ":" + r.message + (r.hasContact ? "+c" : "") + (r.leading ? "+l" : "");
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
        EXPECT_EQ(second, dup ? -7 : first + 1);
        // Every add refuses a number of no class; a refusal takes no id from
        // the counter that all processors share. History takes a number present.
        for (const int result :
             {other.addPhone(bad, c, "x", dup, refused), other.addPhone(bad, c, dup, refused),
              other.addPhone(bad, "x", dup, refused), other.addPhone(bad, true, dup, refused),
              other.addPhone(c, dup, refused), other.addPhoneHistory(bad, "x", refused)}) {
            EXPECT_EQ(result, -1);
        }
        ASSERT_EQ(p.addPhoneHistory("13800138000", "", next), 1);
        EXPECT_EQ(next - first, dup ? 1 : 2);
        EXPECT_EQ(std::to_string(refused) + " " + state(other) + " " + state(p),
                  dup ? "-7 0000 2000 13800138000:a 13800138000:"
                      : "-7 0000 3000 13800138000:a 13800138000:b 13800138000:");
    }
}

TEST(Recipients, ContactsTextsLeadingFlagsAndDeletion) {
    CSmsMsgProcessor p;
    int id = 0, yd = 0, xlt = 0;
    p.addPhone(contact("张三", "13012345678"), true, id);
    p.addPhone("18912345678", true, true, id);
    // Regression: a literal text once bound to the leading-flag overload.
    p.addPhone("18912345678", "你好", false, id);
    EXPECT_EQ(state(p), "0120 13012345678:+c 18912345678:+l 18912345678:你好");
    p.setPhoneMsg("18912345678", "新"), p.setPhone("18912345678", contact("李四", "18912345678"));
    EXPECT_EQ(state(p), "0120 13012345678:+c 18912345678:新+c+l 18912345678:新+c");
    // Deletion matches number and id, and classifies the number again: once
    // 139 moves to China Unicom, the Unicom counter is the one lowered.
    p = CSmsMsgProcessor();
    p.addPhone("13912345678", "", false, yd);
    p.addPhone("01012345678", "", false, xlt);
    EXPECT_EQ(p.delPhone("13912345678", yd + 100) + p.delPhone("01012345678", yd), 2);
    EXPECT_EQ(state(p), "1001 13912345678: 01012345678:");
    SMS::CPhoneNumMag& mag = *SMS::CPhoneNumMag::inistance();
    const SMS::CPhoneNumMag saved = mag;
    mag.Init({"138"}, {"139"}, {"139"});  // Unicom asked before Telecom
    p.delPhone("13912345678", yd);
    mag = saved;
    EXPECT_EQ(state(p), "1-101 01012345678:");
}

// Refuses a text that holds `word` and counts the texts tested.
struct RecordingRejectWords : Dmg::CRejectWordsDataSerialize {
    std::string word = "\xFF";
    int calls = 0;
    int testWord(const std::string& text, std::string&) override {
        return ++calls, text.find(word) == std::string::npos ? 1 : 0;
    }
};

// "first|second" of the messages of a run, then of its check states.
std::string run(CSmsMsgProcessor& p, bool check) {
    Elements e;
    p.getSendQueue(e, check);
    return e.at(0).message + "|" + e.at(1).message + " " + std::to_string(e.at(0).checkState) +
           "|" + std::to_string(e.at(1).checkState);
}

// A contact (own text "联系人") and a plain number (own text "自带").
struct Composition : ::testing::Test {
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

// Each row runs with the check and then without it: "texts states calls
// states", the calls being the reject-word tests of the checked run.
TEST_F(Composition, TextsStatesAndStoreCalls) {
    const char* const templ = "<姓名>好<号码>";
    const std::string expanded = "张三好13800138000司|好司 ";
    const struct {
        const char* text;  // null: no setSendMsg
        bool personal, ender;
        std::string word, expected;
        bool unreadableName = false;
    } rows[] = {
        {nullptr, true, true, "", "联系人|自带 0|0 0 0|0"},
        {templ, false, true, "", "<姓名>好<号码>司|<姓名>好<号码>司 0|0 1 0|0"},
        {"通知", true, true, "", "通知司|通知司 0|0 1 0|0"},
        {templ, true, true, "", expanded + "0|1 4 0|0"},  // signature, pure text, two values
        {templ, true, false, "", "张三好13800138000|好 0|1 3 0|0"},
        {"通知", true, true, "司", "通知司|通知司 -1|-1 1 0|0"},
        {templ, true, true, "好", expanded + "-1|-1 2 0|0"},
        {templ, true, true, "司", expanded + "-1|-1 2 0|0"},
        {templ, true, true, "张", expanded + "-1|1 3 0|0"},  // stops at the failing value
        // A template that cannot be filled for a contact must not go out with
        // raw placeholders: the contact gets the pure text and is rejected.
        {"<姓名>好", true, true, "", "好司|好司 -1|1 2 -1|0", true},
    };
    std::string& name = CFriendSet::inistance()->m_labelToProperty.at("姓名");
    const std::string saved = name;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.expected + " " + row.word);
        CSmsMsgProcessor q(p);
        if (row.text != nullptr) q.setSendMsg(row.text);
        q.setPersonalSms(row.personal);
        if (!row.ender) q.cancleCompanyEnder();
        store.word = row.word.empty() ? "\xFF" : row.word, store.calls = 0;
        name = row.unreadableName ? "无此属性" : saved;
        const std::string checked = run(q, true), calls = std::to_string(store.calls);
        const std::string unchecked = run(q, false);  // its states only
        EXPECT_EQ(checked + " " + calls + unchecked.substr(unchecked.rfind(' ')), row.expected);
    }
    name = saved;
}

TEST_F(Composition, ElementFields) {
    SMS::CUserInfo::instance()->senderId = "用户";
    p.addPhone("13912345678", true, true, id);
    const Dmg::CSmsData when(2026, 12, 6, 8, 5);
    p.setTimer(when), p.setTimerMsg(false);
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

using Buffer = std::unique_ptr<char, decltype(&std::free)>;

std::string encode(const std::string& in) {
    int length = -1;
    const Buffer out(CSmsMsgProcessor::urlencode(in.data(), static_cast<int>(in.size()), &length),
                     &std::free);
    EXPECT_EQ(std::strlen(out.get()), static_cast<std::size_t>(length));
    return std::string(out.get(), length);
}

std::string decode(std::string in) {
    in.push_back('f');  // room for the terminator; a hex digit that must not be read
    const int length = CSmsMsgProcessor::urldecode(&in[0], static_cast<int>(in.size()) - 1);
    EXPECT_EQ(in[length], '\0');
    return in.substr(0, length);
}

TEST(UrlCodec, EveryByteRoundTripAndCorners) {
    const std::string plain = "-._0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    std::string all;
    for (unsigned b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        const std::string one(1, static_cast<char>(b));
        const std::string upper{'%', "0123456789ABCDEF"[b >> 4], "0123456789ABCDEF"[b & 15]};
        const std::string lower{'%', "0123456789abcdef"[b >> 4], "0123456789abcdef"[b & 15]};
        const bool kept = plain.find(one) != std::string::npos;
        EXPECT_EQ(encode(one), b == ' ' ? "+" : kept ? one : upper);
        EXPECT_EQ(decode(one), b == '+' ? " " : one);
        EXPECT_EQ(decode(upper) + decode(lower), one + one);
        all += one;
    }
    EXPECT_EQ(decode(encode(all + all)), all + all);
    // Cut or broken escapes stay as they are.
    for (const std::string in : {"%4", "ab%", "%G1%1G"}) EXPECT_EQ(decode(in), in);
    EXPECT_EQ(decode("%%41"), "%A");
    // Bad lengths and pointers give empty results, never wild memory use.
    int length = -1;
    const Buffer empty(CSmsMsgProcessor::urlencode("abc", -5, &length), &std::free);
    EXPECT_EQ(std::string(empty.get()) + std::to_string(length), "0");
    EXPECT_EQ(CSmsMsgProcessor::urlencode("abc", 0x7FFFFFFF, &length), nullptr);
    char buffer[] = "+x";
    EXPECT_EQ(CSmsMsgProcessor::urldecode(buffer, -1), 0);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(CSmsMsgProcessor::urldecode(nullptr, 4), 0);
}

}  // namespace
