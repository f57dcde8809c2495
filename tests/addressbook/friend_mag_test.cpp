// The address book manager and the upload against a recording main store:
// which store calls each operation makes, and the cached current set.
#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "addressbook/CFriendMag.h"
#include "addressbook/CNetFriendUpload.h"
#include "contracts/dmg/CLocalDataSerialize.h"
#include "contracts/net/CEmbeddedGateway.h"
#include "contracts/net/CNetInterfaceMag.h"
#include "send/CUserInfo.h"
#include "tests/fakes/LogCapture.h"
#include "tests/fakes/RecordingProgressDlg.h"
#include "tests/fakes/ScopedStore.h"

namespace {

using Dmg::CFriend;
using Friends = std::vector<CFriend>;
using Strings = std::vector<std::string>;

CFriend contact(int id) {
    CFriend c;
    c.getFirendStrut().id = id;
    return c;
}

Friends contacts(int first, int count) {
    Friends out;
    for (int i = 0; i < count; ++i) out.push_back(contact(first + i));
    return out;
}

std::string ids(const Friends& list) {
    std::string out;
    for (const CFriend& c : list) out += std::to_string(c.getFirendStrut().id) + " ";
    return out;
}

// Groups of `groupSize` contacts (ids from 1); a search finds `found`
// contacts (ids from 1). Records every call as text.
struct FakeStore : Dmg::CLocalDataSerialize {
    Strings calls;
    int groupSize = 0, found = 0, nextId = 100;
    Friends pending;                // not yet uploaded, in order
    bool markFails = false;
    int batches = 0;

    int note(const std::string& call, int result = 1) { return calls.push_back(call), result; }
    int getGroupFriendNum(const int& g) override { return note("num " + std::to_string(g), groupSize); }
    int getTopXGroupFriendNum(const int& g, const int& n, Friends& out) override {
        for (const CFriend& c : contacts(1, std::min(n, groupSize))) out.push_back(c);
        return note("top " + std::to_string(g) + " " + std::to_string(n));
    }
    int getGroupFriend(const int& g, Friends& out) override {
        for (const CFriend& c : contacts(1, groupSize)) out.push_back(c);
        return note("all " + std::to_string(g));
    }
    int search(const std::string& text, Friends& out) {
        for (const CFriend& c : contacts(1, found)) out.push_back(c);
        return note("select " + text);
    }
    int selectFriend(const std::string& col, const int& v, Friends& out) override {
        return search(col + " " + std::to_string(v), out);
    }
    int selectFriend(const std::string& col, const std::string& v, Friends& out) override {
        return search(col + " '" + v + "'", out);
    }
    int selectFriend(const std::string& col, const bool& v, Friends& out) override {
        return search(col + (v ? " true" : " false"), out);
    }
    int selectFriend(const std::string& col, const Dmg::CSmsData& v, Friends& out) override {
        return search(col + " " + v.getString(), out);
    }
    int addFriend(CFriend&, const int& g) override { return note("add " + std::to_string(g), g != 4); }
    int addFriend(CFriend&, const int& g, int& id) override {
        id = nextId++;
        return note("add " + std::to_string(g) + " id", g != 4);
    }
    int delFriend(const int& id) override {  // 1 and 0 are failures
        return note("del " + std::to_string(id), id == 1 ? 1 : id == 3 ? 0 : 2);
    }
    int delFriGroupRelation(const int& c, const int& g) override {
        return note("unrelate " + std::to_string(c) + " " + std::to_string(g));
    }
    int delGroupFriends(const int& g) override { return note("empty group " + std::to_string(g)); }
    int initialize(const std::string& path, const std::string& password) override {
        return note("open " + path + " " + password);
    }
    int close() override { return note("close"); }
    int getTopXFriend(const int& n, Friends& out) override {
        // Ends a runaway upload after a few batches.
        const int taken = ++batches > 5 ? 0 : std::min<int>(n, static_cast<int>(pending.size()));
        out.insert(out.end(), pending.begin(), pending.begin() + taken);
        return note("batch " + std::to_string(taken));
    }
    int modifyCommitStatus(const int& id, const int& status) override {
        if (markFails) return 0;
        pending.erase(pending.begin());  // marks come in batch order
        return note("mark " + std::to_string(id) + " " + std::to_string(status));
    }
};

class FriendMagTest : public ::testing::Test {
protected:
    FakeStore store;
    fakes::ScopedStore scoped{"database", &store};
    SMS::CFriendMag mag;
};

TEST_F(FriendMagTest, GroupLoadsInTwoStepsAndTheWholeSetFollowsTheState) {
    mag.init(20);
    store.groupSize = 1000;
    EXPECT_EQ(mag.getGroupFriendNum(7), 1);
    EXPECT_EQ(mag.getCurFriendNum(), 340);
    Friends whole{contact(-1)};
    mag.getAllFriend(whole);  // partial: straight from the store, appended
    EXPECT_EQ(whole.size(), 1001u);
    EXPECT_EQ(mag.getGroupFriendW(), 1);
    EXPECT_EQ(mag.getCurFriendNum(), 1000);
    EXPECT_EQ(mag.getGroupFriendW(), 0);
    whole = {contact(-1)};
    mag.getAllFriend(whole);  // complete: a copy of the cache
    EXPECT_EQ(whole.size(), 1000u);
    EXPECT_EQ(store.calls, (Strings{"num 7", "top 7 340", "all 7", "all 7"}));

    // A small group stays partial: the whole set still comes from the store,
    // and taking the group's contacts out is one store call on the current
    // group, whatever group and progress object are passed.
    store.groupSize = 10, store.calls.clear();
    mag.getGroupFriendNum(8);
    mag.getAllFriend(whole);
    EXPECT_EQ(mag.delCurGroup(99, nullptr), 1);
    EXPECT_EQ(store.calls, (Strings{"num 8", "top 8 340", "all 8", "empty group 8"}));
}

TEST_F(FriendMagTest, PagesOfTheCacheWithoutOverflow) {
    store.found = 45;
    // `out` starts with contact 0: a page is appended, a refusal leaves it.
    const struct {
        int pageSize, page, result;
        const char* ids;
    } cases[] = {
        {20, 1, 1, "0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 "},
        {20, 3, 1, "0 41 42 43 44 45 "}, {20, 4, 0, "0 "}, {20, 0, 0, "0 "}, {20, -1, 0, "0 "},
        {0, 1, 0, "0 "}, {-5, 2, 0, "0 "}, {20, INT_MAX, 0, "0 "}, {INT_MAX, 2, 0, "0 "},
        {INT_MAX, INT_MIN, 0, "0 "}, {65536, 65537, 0, "0 "}, {45, 1, 1, nullptr},
    };
    mag.selectFriendNum("名字", "");
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.pageSize) + " " + std::to_string(c.page));
        mag.init(c.pageSize);
        Friends out{contact(0)};
        EXPECT_EQ(mag.getFriend(0, c.page, out), c.result);
        if (c.ids != nullptr) EXPECT_EQ(ids(out), c.ids);
        else EXPECT_EQ(out.size(), 46u);
    }
}

TEST_F(FriendMagTest, SearchLabelsPickColumnAndValueType) {
    const struct {
        const char *label, *value, *call;
    } cases[] = {
        {"ID", "12x", "select ID 12"}, {"电话", "010", "select Teliphone '010'"},
        {"名字", "O'Brien\"; DROP", "select Name 'O'Brien\"; DROP'"},
        {"公司", "c", "select Comportation 'c'"}, {"性别", "男", "select Sex true"},
        {"性别", "女", "select Sex false"}, {"婚否", "是", "select Marriage true"},
        {"个性签名", "否", "select PersonalMessage false"}, {"备用6", "z", "select ADD6 'z'"},
        {"生日", "1980-05", "select Birthday 1980-05-00 00:00"},
        {"生日", "1980-5-17-8-30-9", "select Birthday 1980-05-17 08:30"},
        {"所属组ID", "3", "select GroupIDsCode 3"}, {"姓名", "x", ""},  // not a search label
    };
    store.groupSize = 5;
    mag.getGroupFriendNum(2);  // a search empties the cache first, even an unknown label's
    for (const auto& c : cases) {
        SCOPED_TRACE(c.call);
        store.calls.clear();
        EXPECT_EQ(mag.selectFriendNum(c.label, c.value), *c.call ? 1 : 0);
        EXPECT_EQ(store.calls, *c.call ? Strings{c.call} : Strings{});
        EXPECT_EQ(mag.getCurFriendNum(), 0);
    }
}

TEST_F(FriendMagTest, AddsToGroupsAndDeletesWhatIsShown) {
    int id = 0;
    EXPECT_EQ(mag.addFriend(contact(5), {}, id), 1);
    EXPECT_EQ(id, 100);
    EXPECT_EQ(mag.addFriend(contact(5), {3, 4}), 1);  // 4 fails, 3 does not
    EXPECT_EQ(mag.addFriend(contact(5), {4, 4}), 0);
    EXPECT_EQ(store.calls, (Strings{"add 1 id", "add 3", "add 4", "add 4", "add 4"}));

    // Cache upkeep, then deletion of the cached contacts: ids 1 7 3.
    store.found = 3;
    mag.selectFriendNum("名字", "");
    EXPECT_EQ(mag.InsertFriendInVec(4, 9, contact(0)), 0);
    EXPECT_EQ(mag.InsertFriendInVec(3, 9, contact(0)), 1);
    EXPECT_EQ(mag.modifyFriendInVec(2, contact(0)), 1);
    EXPECT_EQ(mag.delFriendInVec(9), 1);
    EXPECT_EQ(mag.delFriendInVec(9), 0);
    mag.modifyFriendInVec(2, contact(7));  // keeps id 2
    Friends shown;
    mag.getAllFriend(shown);
    EXPECT_EQ(ids(shown), "1 2 3 ");
    store.calls.clear();
    EXPECT_EQ(mag.delCurSelect(), -2);
    EXPECT_EQ(mag.getCurFriendNum(), 0);
    EXPECT_EQ(store.calls, (Strings{"del 1", "del 2", "del 3"}));
}

struct CancelAfter : fakes::RecordingProgressDlg {
    int left = 0;
    int isCanceled() override { return calls.push_back("isCanceled()"), --left <= 0; }
};

TEST_F(FriendMagTest, TakingACompleteGroupOutStopsWhenCanceled) {
    store.groupSize = 3;
    mag.getGroupFriendNum(6);
    mag.getGroupFriendW();
    store.calls.clear();
    CancelAfter progress;
    progress.left = 2;
    EXPECT_EQ(mag.delCurGroup(5, &progress), 0);
    EXPECT_EQ(store.calls, (Strings{"unrelate 1 5", "unrelate 2 5"}));
    EXPECT_EQ(progress.calls, (Strings{"refresh()", "offsetPos(1)", "isCanceled()", "refresh()",
                                       "offsetPos(1)", "isCanceled()"}));
    EXPECT_EQ(mag.delCurGroup(5, nullptr), 0);  // refused, not a crash
    EXPECT_EQ(mag.getCurFriendNum(), 3);
}

class UploadTest : public ::testing::Test {
protected:
    FakeStore store;
    fakes::ScopedStore scoped{"database1", &store};
    std::shared_ptr<SMS::NET::CEmbeddedGateway> gateway =
        std::make_shared<SMS::NET::CEmbeddedGateway>();
    const std::string savedDir_ = SMS::CUserInfo::instance()->userDir;
    void SetUp() override {
        SMS::NET::CNetInterfaceMag::instance()->setGateway(gateway);
        SMS::CUserInfo::instance()->userDir = "/u";
    }
    void TearDown() override {
        SMS::NET::CNetInterfaceMag::instance()->setGateway(nullptr);
        SMS::CUserInfo::instance()->userDir = savedDir_;
    }
};

TEST_F(UploadTest, SendsBatchesOfFiftyMarksEachAndStopsWhenNoneCanBeMarked) {
    store.pending = contacts(1, 120);
    SMS::CNetFriendUpload().Upload();
    EXPECT_EQ(gateway->uploadedContacts().size(), 120u);
    Strings batches;
    for (const std::string& call : store.calls)
        if (call.rfind("mark ", 0) != 0) batches.push_back(call);
    EXPECT_EQ(batches, (Strings{"open /u/Main.dll Quenp19990812", "batch 50", "batch 50", "batch 20",
                                "batch 0", "close"}));
    EXPECT_EQ(store.calls[2] + "," + store.calls[store.calls.size() - 3], "mark 1 1,mark 120 1");

    // Marks that fail would bring the same batch back for ever.
    store.pending = contacts(1, 3), store.markFails = true, store.calls.clear();
    fakes::LogCapture log;
    SMS::CNetFriendUpload().Upload();
    EXPECT_EQ(store.calls, (Strings{"open /u/Main.dll Quenp19990812", "batch 3", "close"}));
    EXPECT_EQ(log.texts(2).size(), 1u);
}

TEST_F(UploadTest, FillsTheSeventeenFields) {
    CFriend a = contact(1), b = contact(2);
    for (const char* p : {"名字", "手机", "地址", "邮箱", "公司", "尊称", "电话", "注释", "职业",
                          "邮编", "备用1", "备用2", "备用3", "备用4"})
        a.addPropetyAndValue(p, std::string(p) + "!");
    a.addPropetyAndValue("性别", "男");
    a.addPropetyAndValue("婚否", "是");
    a.addPropetyAndValue("生日", "1980-5-17");
    store.pending = {a, b};
    SMS::CNetFriendUpload().Upload();
    const auto sent = gateway->uploadedContacts();
    ASSERT_EQ(sent.size(), 2u);
    const SMS::NET::CNetFriendInfo& x = sent[0];
    EXPECT_EQ(x.name + x.mobile + x.address + x.reserved + x.email + x.company + x.title +
                  x.telephone + x.comment + x.career + x.postcode + x.spare1 + x.spare2 + x.spare3,
              "名字!手机!地址!邮箱!公司!尊称!电话!注释!职业!邮编!备用1!备用2!备用3!");
    EXPECT_EQ(x.birthday, a.getFirendStrut().birthday.getString());
    EXPECT_EQ(std::to_string(x.sex) + x.marriage, "2已婚");
    EXPECT_EQ(std::to_string(sent[1].sex) + sent[1].marriage, "1未婚");
}

}  // namespace
