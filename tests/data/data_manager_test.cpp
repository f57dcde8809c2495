#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/UserConfigSerialize.h"
#include "tests/fakes/FakeUserConfig.h"
#include "tests/fakes/ScopedStore.h"

namespace {

Dmg::CDataManager& manager() { return Dmg::CDataManager::getSingleton(); }

TEST(DataManager, OneInstanceAndUnknownNamesAreNull) {
    EXPECT_EQ(Dmg::CDataManager::getSingletonPtr(), &manager());
    EXPECT_EQ(manager().getDataSerialize("no such store"), nullptr);
    EXPECT_EQ(manager().getDataSerialize(""), nullptr);
    // Names are exact: no case folding, no trimming.
    EXPECT_EQ(manager().getDataSerialize("UserConfigFile"), nullptr);
    EXPECT_EQ(manager().getDataSerialize("userconfigfile "), nullptr);
}

TEST(DataManager, ScopedFakeReplacesAndRestores) {
    Dmg::IDataSerialize* const original = manager().getDataSerialize("userconfigfile");
    {
        fakes::FakeUserConfig fake;
        fakes::ScopedStore scope("userconfigfile", &fake);
        EXPECT_EQ(manager().getDataSerialize("userconfigfile"), &fake);
        {
            fakes::FakeUserConfig inner;
            fakes::ScopedStore nested("userconfigfile", &inner);
            EXPECT_EQ(manager().getDataSerialize("userconfigfile"), &inner);
        }
        EXPECT_EQ(manager().getDataSerialize("userconfigfile"), &fake);
    }
    EXPECT_EQ(manager().getDataSerialize("userconfigfile"), original);

    // A name that was not there before is gone again afterwards.
    fakes::FakeUserConfig fake;
    { fakes::ScopedStore scope("testonly-store", &fake); }
    EXPECT_EQ(manager().getDataSerialize("testonly-store"), nullptr);
}

TEST(DataManager, LookupsWhileRegistering) {
    fakes::FakeUserConfig a, b;
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::thread reader([&] {
        while (!stop) {
            auto* s = manager().getDataSerialize("testonly-race");
            if (s != nullptr && s != &a && s != &b) ++bad;
        }
    });
    for (int i = 0; i < 2000; ++i) {
        manager().registerDataSerialize("testonly-race", i % 2 ? &a : &b);
    }
    manager().registerDataSerialize("testonly-race", nullptr);
    stop = true;
    reader.join();
    EXPECT_EQ(bad, 0);
}

TEST(UserConfigStore, ListsAppendAndCount) {
    Dmg::UserConfigSerialize store;
    std::vector<std::string> out{"keep"};
    EXPECT_EQ(store.getChinaMobileNumHeader(out), 0);
    EXPECT_EQ(out, std::vector<std::string>{"keep"});

    store.setChinaMobileNumHeader({"147", "138"});
    store.setChinaTeleComNumHeader({"177"});
    EXPECT_EQ(store.getChinaMobileNumHeader(out), 2);
    EXPECT_EQ(out, (std::vector<std::string>{"keep", "147", "138"}));

    std::vector<std::string> unicom, telecom;
    EXPECT_EQ(store.getChinaUnicomNumHeader(unicom), 0);
    EXPECT_EQ(store.getChinaTeleComNumHeader(telecom), 1);
    EXPECT_EQ(telecom, std::vector<std::string>{"177"});

    store.setChinaMobileNumHeader({});
    std::vector<std::string> cleared;
    EXPECT_EQ(store.getChinaMobileNumHeader(cleared), 0);
    EXPECT_TRUE(cleared.empty());
}

}  // namespace
