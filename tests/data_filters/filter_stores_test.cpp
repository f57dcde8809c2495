#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "components/data/engine/Database.h"
#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CRejectPhonesDataSerialize.h"
#include "contracts/dmg/CRejectWordsDataSerialize.h"
#include "contracts/dmg/CTestPhonesSerialize.h"
#include "contracts/dmg/UserConfigSerialize.h"
#include "tests/fakes/LogCapture.h"
#include "tests/fakes/TempDir.h"

namespace {

using Strings = std::vector<std::string>;
const char* kPassword = "Quenp19990812";

// The library pools idle connections; closing the user data drops them, so
// that the next initialize really reads the file again.
void dropPooledConnections() { Dmg::CDataManager::getSingleton().closeUserData(); }

// Sets `list` on a store, after trying to on the store never opened and
// closed, which must fail (logged) and change nothing. Regression: a list set
// on a closed store was kept in memory only and reported as stored; the next
// initialize loaded the stored list over it. Returns the check that a new
// store object appends the list from `path` to what it is given.
template <class Store>
std::function<void()> setThroughClosedStore(const char* name, const std::string& path,
                                            const Strings& list, int (Store::*set)(const Strings&),
                                            int (Store::*get)(Strings&)) {
    SCOPED_TRACE(name);
    Store s;
    for (const bool opened : {false, true}) {  // never opened, then closed
        fakes::LogCapture log;
        Strings got;
        EXPECT_EQ((s.*set)({"lost"}), 0);
        EXPECT_EQ(log.texts(2).size(), 1u);
        EXPECT_EQ(((s.*get)(got), got), opened ? list : Strings{});
        EXPECT_TRUE(s.initialize(path, kPassword) == 1 && (s.*set)(list) == 1 && s.close() == 1);
    }
    return [=] {
        SCOPED_TRACE(name);
        Store reopened;
        Strings got{"kept"}, expected{"kept"};
        expected.insert(expected.end(), list.begin(), list.end());
        EXPECT_EQ(reopened.initialize(path, kPassword), 1);
        EXPECT_EQ(((reopened.*get)(got), got), expected);
    };
}

// Lists are stored exactly (duplicates, empty entries, NUL bytes, invalid
// GBK, SQL quotes), in order, and apart though the stores share Main.dll.
TEST(ListStores, StoredExactlyApartAndNeverWhileClosed) {
    using W = Dmg::CRejectWordsDataSerialize;
    using P = Dmg::CRejectPhonesDataSerialize;
    using T = Dmg::CTestPhonesSerialize;
    using C = Dmg::UserConfigSerialize;
    fakes::TempDir dir;
    const std::string path = dir.file("Main.dll");
    const Strings words = {"发票", std::string("a\0b", 3), "", "\xff\x81", "'; DROP--", "发票"};
    const Strings phones = {"13800138000", " 13900139000\r\n"}, tests = {"13300133000"},
                  prefixes = {"175", "1709"};
    const std::function<void()> reopened[] = {
        setThroughClosedStore("reject words", path, words, &W::setRejectWords, &W::getRejectWords),
        setThroughClosedStore("reject phones", path, phones, &P::setRejectPhones,
                              &P::getRejectPhones),
        setThroughClosedStore("test numbers", path, tests, &T::setTestPhones, &T::getTestPhones),
        setThroughClosedStore("prefixes", path, prefixes, &C::setChinaUnicomNumHeader,
                              &C::getChinaUnicomNumHeader)};
    dropPooledConnections();
    for (const auto& check : reopened) check();
}

// Regression: a filter whose list was never loaded passed every text without
// a word. It says so once, not on every call, until a list is loaded.
TEST(FilterStores, UnloadedFilterSaysOnceThatItPassesEverything) {
    fakes::TempDir dir;
    std::ofstream(dir.file("damaged.dll"), std::ios::binary) << std::string(8192, '\x5a');
    const auto saysOnce = [&](const char* name, auto&& store, auto test) {
        SCOPED_TRACE(name);
        fakes::LogCapture log;
        for (int i = 0; i < 3; ++i) EXPECT_EQ(test(store), 1);
        EXPECT_EQ(log.texts(2).size(), 1u);
        EXPECT_EQ(store.initialize(dir.file("damaged.dll"), kPassword), 0);
        log.clear();
        EXPECT_EQ(test(store), 1);  // the same state: no new line
        ASSERT_EQ(store.initialize(dir.file("Main.dll"), kPassword), 1);
        EXPECT_EQ(test(store), 1);
        EXPECT_TRUE(log.texts(2).empty());
    };
    std::string word;
    saysOnce("words", Dmg::CRejectWordsDataSerialize(),
             [&](auto& s) { return s.testWord("发票", word); });
    saysOnce("phones", Dmg::CRejectPhonesDataSerialize(),
             [](auto& s) { return s.testPhone("13800138000"); });
}

TEST(FilterStores, FailedReplacementKeepsTheOldList) {
    fakes::TempDir dir;
    const std::string path = dir.file("Main.dll");
    Dmg::CRejectWordsDataSerialize store;
    ASSERT_TRUE(store.initialize(path, kPassword) == 1 && store.setRejectWords({"old"}) == 1);
    {
        Dmg::engine::Database raw;  // our own connection, outside the store's pool
        ASSERT_TRUE(raw.open(path, kPassword, {"faults", {}}) &&
                    raw.connection().exec("CREATE TRIGGER fault BEFORE INSERT ON reject_words WHEN "
                                          "NEW.pos = 1 BEGIN SELECT RAISE(ABORT, 'x'); END"));
    }
    fakes::LogCapture log;
    std::string word;
    EXPECT_EQ(store.setRejectWords({"new1", "new2", "new3"}), 0);
    EXPECT_FALSE(log.texts(2).empty());
    EXPECT_TRUE(store.testWord("old new1", word) == 0 && word == "old");
    store.close();
    Dmg::CRejectWordsDataSerialize reopened;
    dropPooledConnections();
    ASSERT_EQ(reopened.initialize(path, kPassword), 1);
    EXPECT_TRUE(reopened.testWord("new1 new2 new3 old", word) == 0 && word == "old");
}

// A failed initialize keeps the list in memory, a good one replaces it with
// the stored list (none yet).
TEST(FilterStores, RejectPhonesMatchBetweenBlanksUntilAStoredListIsLoaded) {
    const std::string nul("139\0", 4);
    fakes::TempDir dir;
    Dmg::CRejectPhonesDataSerialize store;
    ASSERT_EQ(store.initialize(dir.file("Main.dll"), kPassword), 1);
    ASSERT_EQ(store.setRejectPhones({" 13800138000\t", "13900139000\r\n", "", "  ", nul}), 1);
    const Strings phones = {"13800138000", " 13800138000  ", "13900139000", nul,  // listed
                            "1380013800",  "+8613800138000", "138 00138",   "139", "", " "};
    for (std::size_t i = 0; i < phones.size(); ++i) EXPECT_EQ(store.testPhone(phones[i]), i >= 4);
    std::ofstream(dir.file("damaged.dll"), std::ios::binary) << std::string(8192, '\x5a');
    fakes::LogCapture log;
    EXPECT_EQ(store.initialize(dir.file("damaged.dll"), kPassword), 0);
    EXPECT_FALSE(log.texts(2).empty());
    EXPECT_EQ(store.testPhone("13800138000"), 0);
    ASSERT_EQ(store.initialize(dir.file("other.dll"), kPassword), 1);
    EXPECT_EQ(store.testPhone("13800138000"), 1);
}

TEST(FilterStores, TestNumbersMoveToTheFrontWithTheLeadingFlag) {
    const std::string a = "13800000001", b = "13800000002", x = "13000000003", y = "18900000004";
    struct Row {
        const char* name;
        std::optional<Strings> testNumbers;  // none: never set nor loaded
        Strings input;  // "phone", or "phone*" with the leading flag set
        int result;
        std::string expected;  // input positions in output order, * = leading
    } rows[] = {
        {"no list at all", std::nullopt, {a, x + "*"}, 0, "0 1* "},
        {"no test numbers", Strings{}, {x, a + "*", y}, 1, "0 1* 2 "},
        {"none of them is sent to", Strings{a, b}, {x + "*", y}, 1, "0* 1 "},
        {"in the order of the test list", Strings{b, a}, {x, a, y + "*", b}, 1, "3* 1* 0 2* "},
        {"same number twice keeps its order", Strings{a}, {x, a, y, a}, 1, "1* 3* 0 2 "},
        {"blank and repeated entries", Strings{" " + a, "", b, a}, {b, a, " "}, 1, "1* 0* 2 "},
    };
    fakes::TempDir dir;
    const std::string path = dir.file("Main.dll");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Dmg::CTestPhonesSerialize store;
        if (row.testNumbers) {
            ASSERT_EQ(store.initialize(path, kPassword), 1);
            ASSERT_EQ(store.setTestPhones(*row.testNumbers), 1);
        }
        // Each message is the element's input position, so the result shows
        // which record went where.
        std::vector<Dmg::CSendQueueElement> list(row.input.size());
        for (std::size_t i = 0; i < list.size(); ++i) {
            list[i].leading = row.input[i].back() == '*';
            list[i].phone = row.input[i].substr(0, row.input[i].size() - list[i].leading);
            list[i].message = std::to_string(i);
        }
        fakes::LogCapture log;
        EXPECT_EQ(store.reAssignSendQueue(list), row.result);
        std::string order;
        for (const auto& e : list) order += e.message + (e.leading ? "* " : " ");
        EXPECT_EQ(order, row.expected);
        EXPECT_EQ(log.texts(2).empty(), row.result == 1);
    }
}

}  // namespace
