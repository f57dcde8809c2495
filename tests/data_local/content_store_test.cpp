#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <variant>
#include <vector>

#include "contracts/dmg/CLocalDataSerialize.h"
#include "contracts/platform/Time.h"
#include "tests/fakes/TempDir.h"

namespace {

using Dmg::CAlertInfo;
using Dmg::CSaveMsg;
using Dmg::CSmsData;
using Dmg::CWord;
using Ids = std::vector<int>;
using Value = std::variant<int, std::string, CSmsData>;
using AlertData = CAlertInfo::AlertInfoData;

// A quote, SQL, a NUL and a LIKE wildcard after 中文 (D6D0 CEC4).
const std::string kHostile("中文' OR 1=1 --\0%", 17);
const std::string kStraddle = "\xd0\xce";  // tail of 中 + head of 文

CSmsData now() {
    const auto t = Platform::getLocalTime();
    return CSmsData(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute);
}

CWord word(const std::string& content, const CSmsData& added = CSmsData()) {
    CWord w;
    w.getWordStrut().content = content;
    w.getWordStrut().addTime = added;
    return w;
}

CAlertInfo alert(const std::string& type, const std::string& owner, const std::string& phone,
                 const std::string& content, const CSmsData& active, const CSmsData& added) {
    CAlertInfo a;
    a.getAlertInfoStrut() = AlertData{0, 0, type, owner, phone, content, active, added};
    return a;
}

std::string dump(const CAlertInfo& a) {
    const AlertData& d = a.getAlertInfoStrut();
    return std::to_string(d.id) + "," + std::to_string(d.groupId) + "|" + d.alertType + "|" +
           d.ownerName + "|" + d.phoneNum + "|" + d.content + "|" + d.activeTime.getString() + "|" +
           d.addTime.getString();
}

int idOf(const CWord& w) { return w.getWordStrut().id; }
int idOf(const CAlertInfo& a) { return a.getAlertInfoStrut().id; }
template <class R>
Ids idsOf(const std::vector<R>& rs) {
    Ids ids;
    for (const R& r : rs) ids.push_back(idOf(r));
    return ids;
}

class ContentStore : public ::testing::Test {
protected:
    void SetUp() override {
        open();
        ASSERT_EQ(store.addRootWordGroup("客户", wordGroup), 1);  // BFCD BBA7
        ASSERT_EQ(store.addRootAlertInfoGroup("朋友", alertGroup), 1);
        const std::pair<CWord, int> words[] = {
            {word(kHostile, CSmsData(2011, 3, 7, 8, 5)), 1},
            {word("ABC", CSmsData(2011, 3, 20, 9, 0)), wordGroup},
            {word("中文ABC", CSmsData(2011, 4, 7, 8, 5)), wordGroup}};
        for (auto [w, group] : words) ASSERT_EQ(store.addWord(w, group, w_.emplace_back()), 2);
        const std::pair<CAlertInfo, int> alerts[] = {
            {alert("生日", "张三", "13800138000", "生日快乐", CSmsData(2011, 12, 24, 8, 0),
                   CSmsData(2011, 3, 7, 8, 5)),
             1},
            {alert("生日提醒", "李四", "13912345678", "会议' OR 1=1", CSmsData(2011, 12, 25, 0, 0),
                   CSmsData(2011, 3, 20, 0, 0)),
             alertGroup},
            {alert("会议", "王五138", "\xff\x01", std::string("中\0文", 5), CSmsData(0, 1, 1, 0, 0),
                   CSmsData(2012, 1, 1, 1, 1)),
             alertGroup}};
        for (auto [a, group] : alerts) {
            ASSERT_EQ(store.addAlertInfo(a, group, a_.emplace_back()), 2);
            seeded.push_back(a);
        }
    }
    void open() { ASSERT_EQ(store.initialize(dir.file("Main.dll"), "Quenp19990812"), 1); }
    Ids allWords() {
        std::vector<CWord> out;
        store.selectWord("Content", std::string(), out);
        return idsOf(out);
    }

    fakes::TempDir dir;
    Dmg::CLocalDataSerialize store;
    int wordGroup = 0, alertGroup = 0;
    Ids w_, a_;  // seeded record numbers
    std::vector<CAlertInfo> seeded;
};

// One table for the field and two-key searches of phrases and reminders.
// Each search appends to a vector holding one placeholder record (id 0).
TEST_F(ContentStore, SearchesMatchByFieldTypeTimePrefixAndCharacterBoundary) {
    const Ids w = w_, a = a_;
    const std::string kWord = "word", kAlert = "alert", kWord2 = "word2", kAlert2 = "alert2";
    // What, field or key 1, value or key 2, result, ids found.
    const std::vector<std::tuple<std::string, std::string, Value, int, Ids>> rows = {
        {kWord, "ID", w[1], 1, {w[1]}},
        {kWord, "GroupID", wordGroup, 1, {w[1], w[2]}},
        {kWord, "Content", std::string("ABC"), 1, {w[1], w[2]}},
        {kWord, "Content", kStraddle, 1, {}},
        {kWord, "Content", kHostile, 1, {w[0]}},
        {kWord, "Content", std::string("%"), 1, {w[0]}},
        {kWord, "AddTime", CSmsData(2011, 3, 0, 0, 0), 1, {w[0], w[1]}},
        {kWord, "AddTime", CSmsData(2011, 3, 7, 8, 0), 1, {w[0]}},
        {kWord, "AddTime", CSmsData(2011, 3, 7, 8, 6), 1, {}},
        {kWord, "Content", 1, 0, {}},
        {kWord, "AddTime", std::string("2011"), 0, {}},
        {kWord, "content", std::string("A"), 0, {}},
        {kWord2, "ABC", std::string("客户"), 1, {w[1], w[2]}},
        {kWord2, "中文", std::string(), 1, {w[0], w[2]}},
        {kWord2, "中文", std::string("默认"), 1, {w[0]}},
        {kWord2, "", std::string("\xcd\xbb"), 1, {}},  // across 客户
        {kAlert, "ID", a[2], 1, {a[2]}},
        {kAlert, "GroupID", alertGroup, 1, {a[1], a[2]}},
        {kAlert, "AlertType", std::string("生日"), 1, {a[0]}},
        {kAlert, "PhoneOwerName", std::string("四"), 1, {a[1]}},
        {kAlert, "PhoneNum", std::string("138"), 1, {a[0]}},
        {kAlert, "PhoneNum", std::string("0013"), 1, {}},  // inside, not at the start
        {kAlert, "PhoneNum", std::string("\xff"), 1, {a[2]}},
        {kAlert, "MsgContent", std::string("' OR 1=1"), 1, {a[1]}},
        {kAlert, "MsgContent", std::string("\0", 1), 1, {a[2]}},
        {kAlert, "ActiveTime", CSmsData(2011, 12, 0, 0, 0), 1, {a[0], a[1]}},
        {kAlert, "ActiveTime", CSmsData(2011, 12, 24, 0, 0), 1, {a[0]}},
        {kAlert, "ActiveTime", CSmsData(0, 1, 1, 0, 0), 1, {}},  // not a date
        {kAlert, "AddTime", CSmsData(2011, 3, 20, 0, 0), 1, {a[1]}},
        {kAlert, "PhoneNum", 138, 0, {}},
        {kAlert, "Phone", std::string("1"), 0, {}},
        {kAlert2, "", std::string("138"), 1, {a[0], a[2]}},  // number or owner's name
        {kAlert2, "生日", std::string("张"), 1, {a[0]}},
        {kAlert2, "会议", std::string("李四"), 1, {a[1]}},
        {kAlert2, "会议", std::string("张"), 1, {}},
    };
    for (const auto& [what, field, value, result, found] : rows) {
        SCOPED_TRACE(what + " " + field + " finding " + testing::PrintToString(found));
        Ids expected{0};
        expected.insert(expected.end(), found.begin(), found.end());
        std::vector<CWord> words(1);
        std::vector<CAlertInfo> alerts(1);
        int got = -1;
        if (what == kWord2) {
            got = store.selectWord2Key(field, std::get<std::string>(value), words);
        } else if (what == kAlert2) {
            got = store.selectAlertInfo2Key(field, std::get<std::string>(value), alerts);
        } else {
            got = std::visit(
                [&](const auto& v) {
                    return what == kWord ? store.selectWord(field, v, words)
                                         : store.selectAlertInfo(field, v, alerts);
                },
                value);
        }
        EXPECT_EQ(got, result);
        EXPECT_EQ(what == kWord || what == kWord2 ? idsOf(words) : idsOf(alerts), expected);
    }
}

TEST_F(ContentStore, RecordsRoundTripAndModifyKeepsIdGroupAndTimeAdded) {
    store.close();
    open();
    CAlertInfo back;
    ASSERT_EQ(store.getAlertInfoInfo(a_[2], back), 1);
    EXPECT_EQ(dump(back), dump(seeded[2]));
    CAlertInfo changed = alert("t", "o", "p", "c", CSmsData(2020, 1, 2, 3, 4), CSmsData());
    ASSERT_EQ(store.modifyAlertInfo(a_[2], changed), 1);
    ASSERT_EQ(store.getAlertInfoInfo(a_[2], back), 1);
    changed.getAlertInfoStrut().addTime = seeded[2].getAlertInfoStrut().addTime;
    EXPECT_EQ(dump(back), dump(changed));
    EXPECT_EQ(back.getAlertInfoStrut().groupId, alertGroup);
    CWord w = word("新");
    ASSERT_EQ(store.modifyWord(w_[1], w), 1);
    EXPECT_EQ(w.getWordStrut().groupId, wordGroup);  // as stored
    ASSERT_EQ(store.getWordInfo(w_[1], w), 1);
    EXPECT_EQ(w.getWordStrut().content, "新");
    EXPECT_EQ(w.getWordStrut().groupId, wordGroup);
    EXPECT_EQ(w.getWordStrut().addTime, CSmsData(2011, 3, 20, 9, 0));
    // An unset time added becomes the local time.
    const CSmsData before = now();
    CWord fresh = word("x");
    int id = 0, alertId = 0;
    ASSERT_EQ(store.addWord(fresh, 1, id), 2);
    ASSERT_EQ(
        store.addAlertInfo(changed = alert("", "", "", "", CSmsData(), CSmsData()), 1, alertId), 2);
    ASSERT_EQ(store.getWordInfo(id, fresh) + store.getAlertInfoInfo(alertId, back), 2);
    for (const CSmsData& t : {fresh.getWordStrut().addTime, back.getAlertInfoStrut().addTime})
        EXPECT_FALSE(t < before || now() < t) << t.getString();
}

// Ids of no group (never made or deleted) are refused everywhere: the
// robustness test's.
TEST_F(ContentStore, GroupTreesDeleteSubtreesWithTheirRecordsAndNeverReuseIds) {
    int sub = 0, subsub = 0, gone = 0;
    ASSERT_EQ(store.addSubWordGroup(wordGroup, "子", sub), 1);
    ASSERT_EQ(store.addSubWordGroup(sub, "孙", subsub), 1);
    CWord w = word("深");
    ASSERT_EQ(store.addWord(w, subsub, gone), 2);
    EXPECT_EQ(store.delWordGroup(1), 0);
    ASSERT_EQ(store.delWordGroup(wordGroup), 1);
    EXPECT_EQ(allWords(), Ids{w_[0]});
    std::vector<Dmg::CWordGroup> roots;
    ASSERT_EQ(store.getRootWordGroup(roots), 1);
    ASSERT_EQ(roots.size(), 1u);
    EXPECT_EQ(roots[0].name, "默认分组");
    // New ids stay above old ones.
    int id = 0;
    ASSERT_EQ(store.addRootWordGroup("新", id), 1);
    EXPECT_GT(id, subsub);
    ASSERT_EQ(store.addWord(w, id, id), 2);
    EXPECT_GT(id, gone);
    EXPECT_EQ(store.renameWordGroup(1, "改") + store.renameWordGroup(sub, "x"), 1);
    // The reminders' tree: the same rules on its own tables.
    ASSERT_EQ(store.addSubAlertInfoGroup(alertGroup, "子", sub), 1);
    CAlertInfo a = seeded[0];
    ASSERT_EQ(store.addAlertInfo(a, sub, id), 2);
    ASSERT_EQ(store.delAlertInfoGroup(alertGroup), 1);
    std::vector<CAlertInfo> left;
    ASSERT_EQ(store.selectAlertInfo("AlertType", std::string(), left), 1);
    EXPECT_EQ(idsOf(left), Ids{a_[0]});
    EXPECT_EQ(allWords().size(), 2u);  // the phrases' tree is another
}

TEST_F(ContentStore, ImportStoresEveryWordInEveryGroupOrNone) {
    std::vector<CWord> words{word("一"), word("二", CSmsData(2011, 1, 1, 0, 0))};
    EXPECT_EQ(store.importWords(words, {wordGroup, 999}), 0);
    EXPECT_EQ(allWords(), w_);
    EXPECT_EQ(idOf(words[0]), 0);
    ASSERT_EQ(store.importWords(words, {1, wordGroup}), 1);
    std::vector<CWord> found;
    ASSERT_EQ(store.selectWord("Content", std::string("二"), found), 1);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].getWordStrut().groupId + found[1].getWordStrut().groupId, 1 + wordGroup);
    EXPECT_EQ(idOf(words[1]), idOf(found[0]));
    EXPECT_EQ(found[0].getWordStrut().addTime, CSmsData(2011, 1, 1, 0, 0));
    EXPECT_FALSE(words[0].getWordStrut().addTime.isUnset());
    ASSERT_EQ(store.importWords(words, {}), 1);  // group 1
    found.clear();
    ASSERT_EQ(store.getGroupWord(1, found), 1);
    EXPECT_EQ(found.size(), 5u);
}

// How their search matches: the phrases' above, on the same code; found and
// held whole: the robustness test's.
TEST_F(ContentStore, SavedMessagesAreStampedAndDeletedWithoutReusingNumbers) {
    const CSmsData before = now();
    for (const std::string& text : {kHostile, std::string("ABC"), std::string("中文")})
        ASSERT_EQ(store.saveMsg(text), 1);
    std::vector<CSaveMsg> all;
    ASSERT_EQ(store.readAllSaveMsg(all), 1);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].text, kHostile);
    for (const CSaveMsg& m : all) EXPECT_FALSE(m.time < before || now() < m.time);
    EXPECT_EQ(store.delSaveMsg(all[2].number), 2);
    ASSERT_EQ(store.saveMsg("x"), 1);
    std::vector<CSaveMsg> after;
    ASSERT_EQ(store.readAllSaveMsg(after), 1);
    EXPECT_EQ(after.size(), 3u);
    EXPECT_GT(after.back().number, all[2].number);
}

}  // namespace
