#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "contracts/dmg/CDataManager.h"
#include "phone/CPhoneNumMag.h"
#include "tests/fakes/FakeUserConfig.h"
#include "tests/fakes/ScopedStore.h"
#include "tests/fakes/TempDir.h"

namespace {

using Strings = std::vector<std::string>;

// The five answers for one string, as "YD LT DX XLT Phone" flags.
std::string answers(const SMS::CPhoneNumMag& mag, const std::string& n) {
    std::string out;
    out += mag.isYDNumber(n) ? 'Y' : '-';
    out += mag.isLTNumber(n) ? 'L' : '-';
    out += mag.isDXNumber(n) ? 'D' : '-';
    out += mag.isXLTNumber(n) ? 'X' : '-';
    out += mag.IsPhoneNum(n) ? 'P' : '-';
    return out;
}

struct Row {
    std::string number;
    const char* expected;
};

void expectAll(const SMS::CPhoneNumMag& mag, const std::vector<Row>& rows) {
    for (const auto& row : rows) {
        SCOPED_TRACE("number \"" + row.number + "\"");
        EXPECT_EQ(answers(mag, row.number), row.expected);
    }
}

// A store that configures nothing, so every list comes from the defaults.
class PhoneNumMagTest : public ::testing::Test {
protected:
    fakes::FakeUserConfig store;
    fakes::ScopedStore scope{"userconfigfile", &store};
};

TEST_F(PhoneNumMagTest, DefaultLists) {
    const SMS::CPhoneNumMag mag;
    expectAll(mag, {
                       {"13800138000", "Y---P"},
                       {"18812345678", "Y---P"},
                       {"15612345678", "-L--P"},
                       {"13312345678", "--D-P"},
                       {"18912345678", "--D-P"},
                       {"15012345678", "-----"},   // in no default list
                       {"1380013800", "-----"},    // 10 digits
                       {"138001380000", "-----"},  // 12 digits
                       {"+8613800138000", "-----"},
                       {"8613800138000", "-----"},
                       {" 13800138000", "-----"},
                       {"1380013800a", "-----"},
                       {"", "-----"},
                       {std::string("13800\0"
                                    "38000",
                                    11),
                        "-----"},
                       {"138\xd5\xfd"
                        "013800",
                        "-----"},                  // a GBK character inside
                       {"01012345678", "---XP"},   // 0 and 10 digits
                       {"075512345678", "---XP"},  // 0 and 11 digits
                       {"0101234567", "-----"},
                       {"0755123456789", "-----"},
                       {"0101234567a", "-----"},
                       {"0", "-----"},
                   });
}

TEST_F(PhoneNumMagTest, EachCarrierFallsBackOnItsOwn) {
    store.mobile = {{"147", "1349", "13", ""}, 4};  // only three digits can match
    store.unicom = {{"186"}, -1};                   // appended, but the count says none
    store.telecom = {{}, 0};
    const SMS::CPhoneNumMag mag;
    EXPECT_EQ(store.calls, (Strings{"mobile", "unicom", "telecom"}));
    expectAll(mag, {
                       {"14712345678", "Y---P"},
                       {"13812345678", "-----"},  // the default is gone
                       {"13491234567", "-----"},
                       {"13012345678", "-L--P"},  // defaults follow what was appended
                       {"18612345678", "-L--P"},
                       {"15312345678", "--D-P"},
                   });
}

TEST_F(PhoneNumMagTest, InitReplacesEveryListAndSharedPrefixesPassBothTests) {
    SMS::CPhoneNumMag mag;
    mag.Init({"138", "166"}, {"166"}, {});
    expectAll(mag, {
                       {"13812345678", "Y---P"},
                       {"16612345678", "YL--P"},
                       {"13012345678", "-----"},  // dropped by the replacement
                       {"18912345678", "-----"},  // Telecom list now empty
                       {"01012345678", "---XP"},  // no table involved
                   });
    mag.Init({}, {}, {});
    EXPECT_FALSE(mag.IsPhoneNum("13812345678"));
    EXPECT_TRUE(mag.IsPhoneNum("01012345678"));
}

TEST(PhoneNumMagStore, MissingStoreGivesDefaults) {
    fakes::ScopedStore none("userconfigfile", nullptr);
    ASSERT_EQ(Dmg::CDataManager::getSingleton().getDataSerialize("userconfigfile"), nullptr);
    const SMS::CPhoneNumMag mag;
    EXPECT_EQ(answers(mag, "13812345678"), "Y---P");
    EXPECT_EQ(answers(mag, "13012345678"), "-L--P");
    EXPECT_EQ(answers(mag, "18912345678"), "--D-P");
}

TEST(PhoneNumMagStore, ReadsTheDataLibrarysOwnStore) {
    const fakes::TempDir dir;
    ASSERT_EQ(Dmg::CDataManager::getSingleton().openUserData(dir.path()), 1);
    auto* store = static_cast<Dmg::UserConfigSerialize*>(
        Dmg::CDataManager::getSingleton().getDataSerialize("userconfigfile"));
    ASSERT_NE(store, nullptr);
    ASSERT_EQ(store->setChinaUnicomNumHeader({"175"}), 1);
    const SMS::CPhoneNumMag mag;
    store->setChinaUnicomNumHeader({});
    Dmg::CDataManager::getSingleton().closeUserData();
    EXPECT_TRUE(mag.isLTNumber("17512345678"));
    EXPECT_FALSE(mag.isLTNumber("13012345678"));
}

TEST(PhoneNumMagSingleton, CreatedOnceAndRecorded) {
    SMS::CPhoneNumMag* const first = SMS::CPhoneNumMag::inistance();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(SMS::CPhoneNumMag::inistance(), first);
    EXPECT_EQ(SMS::CPhoneNumMag::ms_pInstance, first);
}

// Any bytes of any length: never a crash, and IsPhoneNum agrees with the four
// class tests.
TEST_F(PhoneNumMagTest, PhoneNumIsTheUnionOfTheClassTests) {
    const SMS::CPhoneNumMag mag;
    std::mt19937 rng(20261206);
    const std::string alphabet =
        std::string("0123456789013813013318+ a\xd5\xfd\x80\xff") + std::string(1, '\0');
    for (int i = 0; i < 20000; ++i) {
        const std::size_t len = rng() % 16;
        std::string n;
        for (std::size_t k = 0; k < len; ++k) n += alphabet[rng() % alphabet.size()];
        if (i % 3 == 0 && len >= 3) n.replace(0, 3, i % 2 ? "138" : "0");
        const bool any =
            mag.isYDNumber(n) || mag.isLTNumber(n) || mag.isDXNumber(n) || mag.isXLTNumber(n);
        ASSERT_EQ(mag.IsPhoneNum(n), any) << "number of " << n.size() << " bytes";
    }
    EXPECT_FALSE(mag.IsPhoneNum(std::string(1 << 20, '1')));
}

}  // namespace
