// The phrase, reminder and saved-message managers against a recording main
// store: the rules in which the three differ (group loop, paging bounds,
// result reductions, the reminders' deletion with progress).
#include <gtest/gtest.h>

#include <climits>
#include <type_traits>
#include <map>
#include <string>
#include <vector>

#include "contracts/dmg/CLocalDataSerialize.h"
#include "library/CAlertInfoMag.h"
#include "library/CSaveMsgMag.h"
#include "library/CWordMag.h"
#include "tests/fakes/RecordingProgressDlg.h"
#include "tests/fakes/ScopedStore.h"

namespace {

using Strings = std::vector<std::string>;
using Words = std::vector<Dmg::CWord>;
using Alerts = std::vector<Dmg::CAlertInfo>;

template <typename Record>
std::vector<Record> records(int count, int group = 0) {
    std::vector<Record> out(count);
    for (int i = 0; i < count; ++i) {
        auto& data = [&]() -> auto& {
            if constexpr (std::is_same_v<Record, Dmg::CWord>) return out[i].getWordStrut();
            else return out[i].getAlertInfoStrut();
        }();
        data.id = i, data.groupId = group;
    }
    return out;
}

// Holds `count` records in every group and search result; add results per
// group (default 2); records every call as text.
struct FakeStore : Dmg::CLocalDataSerialize {
    Strings calls;
    int count = 0, result = 1, nextId = 100, refuseDelete = -1;
    std::map<int, int> addResults;

    int note(const std::string& call, int r) { return calls.push_back(call), r; }
    static std::string n(int v) { return std::to_string(v); }
    int add(int group, int& id) {
        id = nextId++;
        const auto it = addResults.find(group);
        return note("add " + n(group), it == addResults.end() ? 2 : it->second);
    }
    int addWord(Dmg::CWord&, const int& g, int& id) override { return add(g, id); }
    int addAlertInfo(Dmg::CAlertInfo&, const int& g, int& id) override { return add(g, id); }
    template <typename R>
    int fill(const std::string& call, std::vector<R>& out) {
        for (const R& r : records<R>(count, 7)) out.push_back(r);
        return note(call, result);
    }
    int getGroupWord(const int& g, Words& out) override { return fill("group " + n(g), out); }
    int selectWord(const std::string& f, const int& v, Words& out) override { return fill(f + " " + n(v), out); }
    int selectWord(const std::string& f, const std::string& v, Words& out) override {
        return fill(f + " '" + v + "'", out);
    }
    int selectWord(const std::string& f, const Dmg::CSmsData& v, Words& out) override {
        return fill(f + " " + v.getString(), out);
    }
    int selectWord2Key(const std::string& a, const std::string& b, Words& out) override {
        return fill("2key " + a + " " + b, out);
    }
    int delWord(const int& id) override { return note("del " + n(id), 2); }
    int getGroupAlertInfo(const int& g, Alerts& out) override { return fill("group " + n(g), out); }
    int selectAlertInfo(const std::string& f, const int& v, Alerts& out) override {
        return fill(f + " " + n(v), out);
    }
    int selectAlertInfo(const std::string& f, const std::string& v, Alerts& out) override {
        return fill(f + " '" + v + "'", out);
    }
    int selectAlertInfo(const std::string& f, const Dmg::CSmsData& v, Alerts& out) override {
        return fill(f + " " + v.getString(), out);
    }
    int selectAlertInfo2Key(const std::string& a, const std::string& b, Alerts& out) override {
        return fill("2key " + a + " " + b, out);
    }
    int delAlertInfo(const int& id) override { return note("del " + n(id), id == refuseDelete ? 0 : 2); }
    int readAllSaveMsg(std::vector<Dmg::CSaveMsg>& out) override {
        for (int i = 0; i < count; ++i) out.push_back(Dmg::CSaveMsg{i % 3, "t" + n(i), {}});
        return note("all", result);
    }
    int delSaveMsg(const int& id) override { return note("del " + n(id), 1); }
};

class ContentMagTest : public ::testing::Test {
protected:
    FakeStore store;
    fakes::ScopedStore scoped{"database", &store};
    SMS::CWordMag words;
    SMS::CAlertInfoMag alerts;
    SMS::CSaveMsgMag saved;
};

TEST_F(ContentMagTest, AddToGroupsGoesOnWhileTheResultIsAboveOne) {
    const struct {
        std::vector<int> groups;
        std::map<int, int> results;
        int result;
        const char* calls;
    } cases[] = {
        {{}, {{1, 1}}, 1, "add 1 "},     {{3, 4}, {{3, 1}}, 1, "add 3 "},
        {{3, 4}, {}, 2, "add 3 add 4 "}, {{3, 4, 5}, {{4, 0}}, 0, "add 3 add 4 "},
    };
    for (const auto& c : cases) {
        for (bool alert : {false, true}) {
            SCOPED_TRACE(std::string(c.calls) + (alert ? " reminder" : " phrase"));
            store.calls.clear(), store.addResults = c.results, store.nextId = 100;
            std::vector<int> ids{-1};
            Dmg::CWord w;
            Dmg::CAlertInfo a;
            EXPECT_EQ(alert ? alerts.addAlertInfo(a, c.groups, ids) : words.addWord(w, c.groups, ids),
                      c.result);
            std::string made;
            for (const std::string& call : store.calls) made += call + " ";
            EXPECT_EQ(made, c.calls);
            EXPECT_EQ(ids.size(), store.calls.size() + 1);
            EXPECT_EQ(ids.back(), 99 + static_cast<int>(store.calls.size()));
        }
    }
}

TEST_F(ContentMagTest, PagesFromZeroAndSavedMessagePagesReplaceTheOutput) {
    store.count = 25;
    words.SelectWordByContent("");
    alerts.selectAlertInfoNum("", "");
    const struct {
        int size, page, result, first, count;
    } cases[] = {
        {10, 0, 1, 0, 10}, {10, 2, 1, 20, 5}, {10, 3, 0, 0, 0},     {0, 0, 0, 0, 0},
        {10, -1, 0, 0, 0}, {-10, 1, 0, 0, 0}, {INT_MAX, 1, 0, 0, 0}, {65536, 65536, 0, 0, 0},
        {INT_MAX, 0, 1, 0, 25},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.size) + " " + std::to_string(c.page));
        words.init(c.size), alerts.init(c.size);
        Words w(1);
        Alerts a(1);
        EXPECT_EQ(words.getWord(0, c.page, w), c.result);
        EXPECT_EQ(alerts.getAlertInfo(0, c.page, a), c.result);
        ASSERT_EQ(w.size(), 1u + c.count);
        EXPECT_EQ(a.size(), 1u + c.count);
        EXPECT_EQ(w.back().getWordStrut().id, c.count > 0 ? c.first + c.count - 1 : 0);
    }
    std::vector<Dmg::CSaveMsg> out(3);
    EXPECT_EQ(saved.getSaveMsg(0, 10, out), 0);  // nothing cached
    EXPECT_TRUE(out.empty());
    saved.readAllSaveMsg();
    const int expected[][4] = {{2, 10, 1, 5}, {3, 10, 1, 0}, {-1, 10, 0, 0}, {1, INT_MAX, 1, 0}};
    for (const auto& e : expected) {
        out.resize(3);
        EXPECT_EQ(saved.getSaveMsg(e[0], e[1], out), e[2]);
        EXPECT_EQ(out.size(), static_cast<std::size_t>(e[3]));
    }
}

TEST_F(ContentMagTest, SearchFieldsAndWhichResultsAreReducedToOneOrZero) {
    store.result = 5;
    const struct {
        bool alert;
        const char *field, *value, *call;
    } cases[] = {
        {false, "添加时间", "2011-3", "AddTime 2011-03-00 00:00"},
        {false, "所属组ID", "4x", "GroupID 4"},
        {false, "内容", "a'; --", "Content 'a'; --'"},
        {true, "激活时间", "2011-12-24-8", "ActiveTime 2011-12-24 08:00"},
        {true, "添加时间", "2011-12-24-8-30-9", "AddTime 2011-12-24 08:30"},
        {true, "提醒类型", "2", "AlertType '2'"},
        {true, "名字", "x", "PhoneOwerName 'x'"},
        {true, "手机", "139", "PhoneNum '139'"},
        {true, "内容", "y", "MsgContent 'y'"},
        {true, "ID", "9", "ID 9"},
    };
    struct Probe : SMS::CWordMag {
        using CWordMag::selectWord;
    };
    struct AlertProbe : SMS::CAlertInfoMag {
        using CAlertInfoMag::selectAlertInfo;
    };
    Probe w;
    AlertProbe a;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.call);
        store.calls.clear();
        EXPECT_EQ(c.alert ? a.selectAlertInfo(c.field, c.value) : w.selectWord(c.field, c.value), 5);
        EXPECT_EQ(store.calls, Strings{c.call});
    }
    store.count = 2;
    w.getGroupWordNum(3);
    EXPECT_EQ(w.selectWord("名字", "x"), 0);  // not a phrase field: no call, cache emptied
    EXPECT_EQ(w.getCurWordNum(), 0);
    EXPECT_EQ(a.selectAlertInfo("尊称", "x"), 0);

    // Group loads and the reminders' two-key search say 1; the phrases'
    // two-key and content searches pass the store's result on.
    EXPECT_EQ(words.getGroupWordNum(3), 1);
    EXPECT_EQ(alerts.getGroupAlertInfoNum(3), 1);
    EXPECT_EQ(alerts.selectAlertInfoNum("a", "b"), 1);
    EXPECT_EQ(words.selectWordNum("a", "b"), 5);
    EXPECT_EQ(words.SelectWordByContent("c"), 5);
    EXPECT_EQ(saved.readAllSaveMsg(), 5);
}

TEST_F(ContentMagTest, DeletionsOfWhatIsCached) {
    store.count = 4;
    alerts.getGroupAlertInfoNum(7);
    fakes::RecordingProgressDlg progress;
    store.refuseDelete = 2;
    store.calls.clear();
    EXPECT_EQ(alerts.delCurGroup(99, &progress), 0);  // the third deletion refused
    EXPECT_EQ(store.calls, (Strings{"del 0", "del 1", "del 2"}));
    EXPECT_EQ(progress.calls.size(), 2u + 3 * 3);
    EXPECT_EQ(progress.calls[0] + progress.calls[1] + progress.calls[2],
              "setRange(0,4,1)setText(正在删除短信提醒...\n\n)refresh()");
    EXPECT_EQ(alerts.getCurAlertInfoNum(), 4);
    struct CancelFirst : fakes::RecordingProgressDlg {
        int isCanceled() override { return 1; }
    } cancel;
    store.calls.clear();
    EXPECT_EQ(alerts.delCurGroup(7, &cancel), 1);
    EXPECT_TRUE(store.calls.empty());
    EXPECT_EQ(alerts.delCurGroup(7, nullptr), 0);
    Alerts all(2);
    alerts.getAllInfoInVec(all);  // appends
    EXPECT_EQ(all.size(), 6u);

    // Phrases: only the cached ones of the group, the cache stays.
    words.getGroupWordNum(7);
    words.InsertWordInVec(4, 50, records<Dmg::CWord>(1, 8)[0]);
    EXPECT_EQ(words.InsertWordInVec(6, 51, Dmg::CWord()), 0);
    store.calls.clear();
    EXPECT_EQ(words.delCurGroup(7), 1);
    EXPECT_EQ(store.calls, (Strings{"del 0", "del 1", "del 2", "del 3"}));
    EXPECT_EQ(words.getCurWordNum(), 5);

    // Saved messages (ids 0 1 2 0): the first copy leaves the cache.
    saved.readAllSaveMsg();
    store.calls.clear();
    EXPECT_EQ(saved.delSaveMsg(0), 1);
    EXPECT_EQ(saved.delSaveMsg(9), 1);  // not cached: the store is asked all the same
    EXPECT_EQ(saved.getMsgNum(), 3);
    EXPECT_EQ(saved.delAllSaveMsg(), 1);
    EXPECT_EQ(store.calls, (Strings{"del 0", "del 9", "del 1", "del 2", "del 0"}));
    EXPECT_EQ(saved.getMsgNum(), 0);
}

}  // namespace
