#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "contracts/dmg/CDataManager.h"
#include "phone/CPhoneNumMag.h"
#include "tests/fakes/FakeUserConfig.h"
#include "tests/fakes/ScopedStore.h"
#include "tests/fakes/TempDir.h"

namespace {

using Strings = std::vector<std::string>;
using Rows = std::vector<std::pair<std::string, const char*>>;  // number, answers

// The five answers for one string, as "YD LT DX XLT Phone" flags.
std::string answers(const SMS::CPhoneNumMag& mag, const std::string& n) {
    return {mag.isYDNumber(n) ? 'Y' : '-', mag.isLTNumber(n) ? 'L' : '-',
            mag.isDXNumber(n) ? 'D' : '-', mag.isXLTNumber(n) ? 'X' : '-',
            mag.IsPhoneNum(n) ? 'P' : '-'};
}

void expectAll(const SMS::CPhoneNumMag& mag, const Rows& rows) {
    for (const auto& [number, expected] : rows) {
        SCOPED_TRACE("number \"" + number + "\"");
        EXPECT_EQ(answers(mag, number), expected);
    }
}

// A store that configures nothing, so every list comes from the defaults.
struct PhoneNumMagTest : ::testing::Test {
    fakes::FakeUserConfig store;
    fakes::ScopedStore scope{"userconfigfile", &store};
};

TEST_F(PhoneNumMagTest, DefaultListsFromAnEmptyOrMissingStore) {
    const SMS::CPhoneNumMag fromEmptyStore;
    const fakes::ScopedStore none("userconfigfile", nullptr);
    for (const SMS::CPhoneNumMag& mag : {fromEmptyStore, SMS::CPhoneNumMag()}) {
        expectAll(mag, {
            {"13800138000", "Y---P"}, {"18812345678", "Y---P"}, {"15612345678", "-L--P"},
            {"13312345678", "--D-P"}, {"18912345678", "--D-P"},
            {"15012345678", "-----"},  // in no default list
            // 10 and 12 digits, a country code, a blank, a letter, a NUL, a GBK character
            {"1380013800", "-----"}, {"138001380000", "-----"}, {"+8613800138000", "-----"},
            {"8613800138000", "-----"}, {" 13800138000", "-----"}, {"1380013800a", "-----"},
            {"", "-----"}, {std::string("13800\0" "38000", 11), "-----"},
            {"138\xd5\xfd" "013800", "-----"},
            // 0 and 10 or 11 digits
            {"01012345678", "---XP"}, {"075512345678", "---XP"}, {"0101234567", "-----"},
            {"0755123456789", "-----"}, {"0101234567a", "-----"}, {"0", "-----"},
        });
    }
}

TEST_F(PhoneNumMagTest, EachCarrierFallsBackOnItsOwn) {
    store.mobile = {{"147", "1349", "13", ""}, 4};  // only three digits can match
    store.unicom = {{"186"}, -1};                   // appended, but the count says none
    // telecom: the default answer, nothing and 0
    const SMS::CPhoneNumMag mag;
    EXPECT_EQ(store.calls, (Strings{"mobile", "unicom", "telecom"}));
    expectAll(mag, {
        {"14712345678", "Y---P"}, {"13812345678", "-----"} /* the default is gone */,
        {"13491234567", "-----"}, {"13012345678", "-L--P"} /* defaults follow the list */,
        {"18612345678", "-L--P"}, {"15312345678", "--D-P"},
    });
}

TEST_F(PhoneNumMagTest, InitReplacesEveryListAndSharedPrefixesPassBothTests) {
    SMS::CPhoneNumMag mag;
    mag.Init({"138", "166"}, {"166"}, {});
    expectAll(mag, {{"13812345678", "Y---P"}, {"16612345678", "YL--P"}, {"13912345678", "-----"},
                    {"13012345678", "-----"} /* dropped */, {"18912345678", "-----"},
                    {"01012345678", "---XP"} /* no table involved */});
}

// One instance for test and library, built from the data library's own store.
TEST(PhoneNumMagSingleton, CreatedOnceFromTheDataLibrarysStore) {
    const fakes::TempDir dir;  // the store keeps a list only while open
    ASSERT_EQ(Dmg::CDataManager::getSingleton().openUserData(dir.path()), 1);
    auto* store = static_cast<Dmg::UserConfigSerialize*>(
        Dmg::CDataManager::getSingleton().getDataSerialize("userconfigfile"));
    ASSERT_NE(store, nullptr);
    ASSERT_EQ(store->setChinaUnicomNumHeader({"175"}), 1);
    SMS::CPhoneNumMag* const first = SMS::CPhoneNumMag::inistance();
    const SMS::CPhoneNumMag mag;
    store->setChinaUnicomNumHeader({});
    Dmg::CDataManager::getSingleton().closeUserData();
    EXPECT_EQ(answers(mag, "17512345678") + answers(mag, "13012345678"), "-L--P-----");
    EXPECT_EQ(SMS::CPhoneNumMag::inistance(), first);
    EXPECT_EQ(SMS::CPhoneNumMag::ms_pInstance, first);
}

}  // namespace
