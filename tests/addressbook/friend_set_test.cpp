#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "addressbook/CFriendSet.h"
#include "contracts/dmg/CFriend.h"
#include "contracts/dmg/CLocalDataSerialize.h"
#include "tests/fakes/ScopedStore.h"

namespace {

using Strings = std::vector<std::string>;
using Lists = std::vector<Strings>;  // all, show, personal
using Dmg::CFriendSetMsg;

const Strings kAll = {"号码",   "姓名",   "电话",   "邮箱",   "尊称",  "性别", "生日",
                      "婚姻",   "公司",   "职位",   "地址",   "邮编",  "备注", "备用一",
                      "备用二", "备用三", "备用四", "备用五", "备用六"};

CFriendSetMsg settingsOf(unsigned show, unsigned personal) {  // flag i = bit i
    CFriendSetMsg s;
    for (int i = 0; i < CFriendSetMsg::kFieldCount; ++i) {
        s.showFlags[i] = (show >> i) & 1u;
        s.personalFlags[i] = (personal >> i) & 1u;
    }
    return s;
}

Lists listsOf(const CFriendSet& set) {
    Lists l(3, Strings{"stale"});  // the getters replace, never append
    EXPECT_EQ(set.getAllField(l[0]) + set.getFriendShowField(l[1]) + set.getPersonalField(l[2]), 3);
    return l;
}

struct RecordingStore : Dmg::CLocalDataSerialize {
    int readSetting(CFriendSetMsg& s) override {
        ++reads;
        if (!failReads) s = stored;
        return failReads ? 0 : 1;
    }
    int setSetting(const CFriendSetMsg& s) override { return stored = s, 1; }
    CFriendSetMsg stored = settingsOf(0, 0);
    bool failReads = false;
    int reads = 0;
};

struct FriendSetTest : ::testing::Test {
    RecordingStore store;
    fakes::ScopedStore scope{"database", &store};
};

TEST_F(FriendSetTest, ListsFollowTheFlags) {
    Strings everyPersonal = kAll;  // name before number
    std::swap(everyPersonal[0], everyPersonal[1]);
    const struct {
        unsigned show, personal;
        Strings showList, personalList;
    } cases[] = {
        {0, 0, {}, {}},
        {0x3, 0x3, {"号码", "姓名"}, {"姓名", "号码"}},
        {0x41010, 0x41010, {"尊称", "备注", "备用六"}, {"尊称", "备注", "备用六"}},
        {0x7ffff, 0x7ffff, kAll, everyPersonal},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.show);
        store.stored = settingsOf(c.show, c.personal);
        EXPECT_EQ(listsOf(CFriendSet()), (Lists{kAll, c.showList, c.personalList}));
    }
}

TEST_F(FriendSetTest, ReadsOncePerObjectAndSeesEarlierChanges) {
    CFriendSet set;
    set.ChangeSet(settingsOf(0x4, 0x10));
    EXPECT_EQ(listsOf(CFriendSet())[2], Strings{"尊称"});  // stored before a later object reads
    EXPECT_EQ(store.reads, 2);
    store.failReads = true;
    set.Init();  // a failed read keeps what the object held
    EXPECT_EQ(listsOf(set)[1], Strings{"电话"});
    EXPECT_EQ(listsOf(CFriendSet())[1], (Strings{"号码", "姓名"}));  // the record's defaults
    const fakes::ScopedStore none{"database", nullptr};  // no store: the object still follows
    set.ChangeSet(settingsOf(0x1, 0x1));
    EXPECT_EQ(listsOf(set)[1], Strings{"姓名"});
}

// One instance for test and library; every label leads to a contact property.
TEST(FriendSet, LabelsLeadToProperties) {
    const CFriendSet* const set = CFriendSet::inistance();
    ASSERT_EQ(set, CFriendSet::ms_pInstance);
    std::string value;
    for (const std::string& label : kAll) {
        EXPECT_EQ(Dmg::CFriend().getValue(set->m_labelToProperty.at(label), value), 1) << label;
    }
}

}  // namespace
