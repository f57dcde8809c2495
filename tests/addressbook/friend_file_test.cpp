// The address book's import of contact rows on the real main store.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "addressbook/CFriendMag.h"
#include "contracts/dmg/CDataManager.h"
#include "tests/fakes/LogCapture.h"
#include "tests/fakes/TempDir.h"

namespace {

using Dmg::CFriend;
using Strings = std::vector<std::string>;
using Rows = std::vector<Strings>;

class FriendFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Dmg::CDataManager::getSingleton().openUserData(dir.path()), 1);
    }
    void TearDown() override { Dmg::CDataManager::getSingleton().closeUserData(); }

    // "name mobile email" of each contact of `group`, in store order.
    Strings groupContacts(int group) {
        std::vector<CFriend> out;
        mag.getGroupFriendNum(group);
        mag.getAllFriend(out);
        Strings shown;
        for (const CFriend& c : out) {
            const CFriend::FriendData& d = c.getFirendStrut();
            shown.push_back(d.name + " " + d.mobile + " " + d.email);
        }
        return shown;
    }

    fakes::TempDir dir;
    SMS::CFriendMag mag;
};

// Storing whole or not at all, in every group, is the store's (data_local);
// skipping a number the robustness test's. Here: rows too short for the
// number column, columns without one, group 1 by default and the log line.
TEST_F(FriendFileTest, ImportSkipsShortRowsAndNeedsANumberColumn) {
    Rows rows{{"张三", "x", "13800138000", "a@b"}, {"赵六"}, {"王五", "z", "13912345678"}};
    EXPECT_EQ(mag.importFriend(rows, {"名字", "", "电话"}, {}), 0);
    EXPECT_TRUE(groupContacts(1).empty());
    fakes::LogCapture log;
    ASSERT_EQ(mag.importFriend(rows, {"名字", "", "手机", "邮箱"}, {}), 1);
    EXPECT_EQ(log.texts(0), Strings{"333333333333333333-------- stored 2, skipped 1"});
    EXPECT_EQ(groupContacts(1), (Strings{"张三 13800138000 a@b", "王五 13912345678 "}));
}

}  // namespace
