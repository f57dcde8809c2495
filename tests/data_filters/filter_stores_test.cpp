#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "components/data/engine/Database.h"
#include "contracts/dmg/CRejectPhonesDataSerialize.h"
#include "contracts/dmg/CRejectWordsDataSerialize.h"
#include "contracts/dmg/CTestPhonesSerialize.h"
#include "contracts/dmg/UserConfigSerialize.h"
#include "tests/fakes/LogCapture.h"
#include "tests/fakes/TempDir.h"

namespace {

using Strings = std::vector<std::string>;
const char* kPassword = "Quenp19990812";

// Main.dll in a folder of its own. Connections are pooled inside smsdata: a
// moved folder gives the file a new path, so initialize really reopens it.
std::string mainFile(const fakes::TempDir& dir) {
    std::filesystem::create_directory(dir.file("a"));
    return dir.file("a/Main.dll");
}
std::string moveFolder(const fakes::TempDir& dir) {
    std::filesystem::rename(dir.file("a"), dir.file("b"));
    return dir.file("b/Main.dll");
}

template <class... Stores>
int initializeAll(const std::string& path, Stores&... stores) {
    return (stores.initialize(path, kPassword) + ...);
}

// The word found, "-" for none ("changed" when `word` was touched anyway).
std::string wordIn(Dmg::CRejectWordsDataSerialize& store, const std::string& text) {
    std::string word = "untouched";
    return store.testWord(text, word) == 0 ? word : (word == "untouched" ? "-" : "changed");
}

TEST(FilterStores, ListsRoundTripExactlyAndApartAcrossReopen) {
    fakes::TempDir dir;
    const std::string path = mainFile(dir);
    const Strings words = {"发票",     std::string("a\0b", 3), "",
                           "\xff\x81", "'; DROP TABLE x;--",   "发票"};
    const Strings phones = {"13800138000", " 13900139000\r\n"}, tests = {"13300133000"};
    Dmg::CRejectWordsDataSerialize w, w2;
    Dmg::CRejectPhonesDataSerialize p, p2;
    Dmg::CTestPhonesSerialize t, t2;
    ASSERT_EQ(initializeAll(path, w, p, t), 3);
    ASSERT_EQ(w.setRejectWords(words) + p.setRejectPhones(phones) + t.setTestPhones(tests), 3);
    w.close(), p.close(), t.close();
    ASSERT_EQ(initializeAll(moveFolder(dir), w2, p2, t2), 3);
    Strings got[3] = {{"kept"}};
    EXPECT_EQ(w2.getRejectWords(got[0]) + p2.getRejectPhones(got[1]) + t2.getTestPhones(got[2]), 3);
    EXPECT_EQ(Strings(got[0].begin() + 1, got[0].end()), words);
    EXPECT_EQ(got[1], phones);
    EXPECT_EQ(got[2], tests);
    // Matching itself is the matcher's (reject_word_matcher_test).
    EXPECT_EQ(wordIn(w2, "代开发票，电话"), "发票");
    EXPECT_EQ(wordIn(w2, "代开发"), "-");
}

// Regression: a list set on a closed store was kept in memory only and
// reported as stored; the next initialize loaded the stored list over it.
template <class Store>
void expectSetOnAClosedStoreFails(const char* name, const std::string& path,
                                  int (Store::*set)(const Strings&), int (Store::*get)(Strings&)) {
    SCOPED_TRACE(name);
    Store s;
    const auto list = [&] {
        Strings out;
        (s.*get)(out);
        return out;
    };
    for (const bool opened : {false, true}) {  // never opened, then closed
        fakes::LogCapture log;
        EXPECT_EQ((s.*set)({"lost"}), 0);
        EXPECT_EQ(log.texts(2).size(), 1u);
        EXPECT_EQ(list(), opened ? Strings{"kept"} : Strings{});
        ASSERT_EQ(s.initialize(path, kPassword), 1);
        ASSERT_EQ((s.*set)({"kept"}), 1);
        s.close();
    }
    ASSERT_EQ(s.initialize(path, kPassword), 1);
    EXPECT_EQ(list(), Strings{"kept"});
}

TEST(ListStores, SetOnAClosedStoreFailsAndChangesNothing) {
    using W = Dmg::CRejectWordsDataSerialize;
    using P = Dmg::CRejectPhonesDataSerialize;
    using T = Dmg::CTestPhonesSerialize;
    using C = Dmg::UserConfigSerialize;
    fakes::TempDir dir;
    const std::string path = mainFile(dir);
    expectSetOnAClosedStoreFails("reject words", path, &W::setRejectWords, &W::getRejectWords);
    expectSetOnAClosedStoreFails("reject phones", path, &P::setRejectPhones, &P::getRejectPhones);
    expectSetOnAClosedStoreFails("test numbers", path, &T::setTestPhones, &T::getTestPhones);
    expectSetOnAClosedStoreFails("prefixes", path, &C::setChinaUnicomNumHeader,
                                 &C::getChinaUnicomNumHeader);
}

// Regression: a filter whose list was never loaded passed every text without
// a word. It says so once, not on every call, until a list is loaded.
TEST(FilterStores, UnloadedFilterSaysOnceThatItPassesEverything) {
    fakes::TempDir dir;
    std::ofstream(dir.file("damaged.dll"), std::ios::binary) << std::string(8192, '\x5a');
    Dmg::CRejectWordsDataSerialize words;
    Dmg::CRejectPhonesDataSerialize phones;
    std::string word;
    const struct {
        const char* name;
        std::function<int(const std::string&)> open;
        std::function<int()> test;
    } filters[] = {
        {"words", [&](const std::string& p) { return words.initialize(p, kPassword); },
         [&] { return words.testWord("发票", word); }},
        {"phones", [&](const std::string& p) { return phones.initialize(p, kPassword); },
         [&] { return phones.testPhone("13800138000"); }},
    };
    for (const auto& f : filters) {
        SCOPED_TRACE(f.name);
        fakes::LogCapture log;
        for (int i = 0; i < 3; ++i) EXPECT_EQ(f.test(), 1);
        EXPECT_EQ(log.texts(2).size(), 1u);
        EXPECT_EQ(f.open(dir.file("damaged.dll")), 0);
        log.clear();
        EXPECT_EQ(f.test(), 1);  // the same state: no new line
        ASSERT_EQ(f.open(dir.file("Main.dll")), 1);
        EXPECT_EQ(f.test(), 1);
        EXPECT_TRUE(log.texts(2).empty());
    }
}

TEST(FilterStores, FailedReplacementKeepsTheOldList) {
    fakes::TempDir dir;
    const std::string path = mainFile(dir);
    Dmg::CRejectWordsDataSerialize store;
    ASSERT_EQ(store.initialize(path, kPassword), 1);
    ASSERT_EQ(store.setRejectWords({"old"}), 1);
    for (const int failingRow : {0, 1, 2}) {
        SCOPED_TRACE(failingRow);
        {
            Dmg::engine::Database raw;  // our own connection, outside the store's pool
            ASSERT_TRUE(raw.open(path, kPassword, {"faults", {}}));
            ASSERT_TRUE(raw.connection().exec(
                "DROP TRIGGER IF EXISTS fault; CREATE TRIGGER fault BEFORE INSERT ON "
                "reject_words WHEN NEW.pos = " +
                std::to_string(failingRow) + " BEGIN SELECT RAISE(ABORT, 'injected'); END"));
        }
        fakes::LogCapture log;
        EXPECT_EQ(store.setRejectWords({"new1", "new2", "new3"}), 0);
        EXPECT_FALSE(log.texts(2).empty());
        EXPECT_EQ(wordIn(store, "old new1"), "old");
    }
    store.close();
    Dmg::CRejectWordsDataSerialize reopened;
    ASSERT_EQ(reopened.initialize(moveFolder(dir), kPassword), 1);
    EXPECT_EQ(wordIn(reopened, "new1 new2 new3 old"), "old");
}

// A failed initialize keeps the list in memory, a good one replaces it with
// the stored list (none yet).
TEST(FilterStores, RejectPhonesMatchBetweenBlanksUntilAStoredListIsLoaded) {
    const std::string nul("139\0", 4);
    fakes::TempDir dir;
    Dmg::CRejectPhonesDataSerialize store;
    ASSERT_EQ(store.initialize(mainFile(dir), kPassword), 1);
    ASSERT_EQ(store.setRejectPhones({" 13800138000\t", "13900139000\r\n", "", "  ", nul}), 1);
    for (const std::string& phone : Strings{"13800138000", " 13800138000  ", "13900139000", nul}) {
        EXPECT_EQ(store.testPhone(phone), 0) << phone;
    }
    for (const std::string phone : {"1380013800", "+8613800138000", "138 00138", "139", "", " "}) {
        EXPECT_EQ(store.testPhone(phone), 1) << phone;
    }
    std::ofstream(dir.file("Main.dll"), std::ios::binary) << std::string(8192, '\x5a');
    fakes::LogCapture log;
    EXPECT_EQ(store.initialize(dir.file("Main.dll"), kPassword), 0);
    EXPECT_FALSE(log.texts(2).empty());
    EXPECT_EQ(store.testPhone("13800138000"), 0);
    ASSERT_EQ(store.initialize(dir.file("other.dll"), kPassword), 1);
    EXPECT_EQ(store.testPhone("13800138000"), 1);
}

// Recipients written "phone" or "phone*" (leading flag set); each message is
// the element's input position, so the result shows which record went where.
std::vector<Dmg::CSendQueueElement> recipients(const Strings& written) {
    std::vector<Dmg::CSendQueueElement> list(written.size());
    for (std::size_t i = 0; i < written.size(); ++i) {
        list[i].leading = written[i].back() == '*';
        list[i].phone = written[i].substr(0, written[i].size() - (list[i].leading ? 1 : 0));
        list[i].message = std::to_string(i);
    }
    return list;
}

TEST(FilterStores, TestNumbersMoveToTheFrontWithTheLeadingFlag) {
    const std::string a = "13800000001", b = "13800000002", x = "13000000003", y = "18900000004";
    struct Row {
        const char* name;
        std::optional<Strings> testNumbers;  // none: never set nor loaded
        Strings input;
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
    const std::string path = mainFile(dir);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Dmg::CTestPhonesSerialize store;
        if (row.testNumbers) {
            ASSERT_EQ(store.initialize(path, kPassword), 1);
            ASSERT_EQ(store.setTestPhones(*row.testNumbers), 1);
        }
        auto list = recipients(row.input);
        fakes::LogCapture log;
        EXPECT_EQ(store.reAssignSendQueue(list), row.result);
        std::string order;
        for (const auto& e : list) order += e.message + (e.leading ? "* " : " ");
        EXPECT_EQ(order, row.expected);
        EXPECT_EQ(log.texts(2).empty(), row.result == 1);
    }
}

}  // namespace
