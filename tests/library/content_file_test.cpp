// The content managers' exports on the real main store, read back through the
// file library.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "contracts/dmg/CDataManager.h"
#include "contracts/fileserialize/CFileManager.h"
#include "library/CSaveMsgMag.h"
#include "library/CWordMag.h"
#include "tests/fakes/TempDir.h"

namespace {

using Table = std::map<int, std::vector<std::string>>;

struct ContentFileTest : ::testing::Test {
    void SetUp() override { ASSERT_EQ(Dmg::CDataManager::getSingleton().openUserData(dir.path()), 1); }
    void TearDown() override { Dmg::CDataManager::getSingleton().closeUserData(); }

    Table readBack(const std::string& path) {
        Table table;
        EXPECT_EQ(FileSerialize::CFileManager::getSingleton().importFromFile(path, table), 1);
        return table;
    }

    fakes::TempDir dir;
};

// Searches, imports and group deletions of the managers on the real store are
// the robustness test's; here, the columns each export writes.
TEST_F(ContentFileTest, PhrasesAndSavedMessagesExportTextAndTimeAdded) {
    SMS::CWordMag words;
    int group = 0;
    Table rows{{0, {"AB", "CD"}}, {1, {"x,\"y\""}}};
    ASSERT_EQ(words.addRootGroup("A", group), 1);
    ASSERT_EQ(words.importWord(rows, {group}), 1);
    ASSERT_EQ(words.getGroupWordNum(group), 1);
    std::vector<Dmg::CWord> shown;
    words.init(10);
    words.getWord(0, 0, shown);
    ASSERT_EQ(shown.size(), 2u);
    const Dmg::CSmsData added = shown[0].getWordStrut().addTime;
    ASSERT_EQ(words.exportWord(dir.file("w.csv"), shown), 1);
    const Table table = readBack(dir.file("w.csv"));
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table.at(0).at(0) + "|" + table.at(1).at(0), "ABCD|x,\"y\"");
    const std::string time = std::to_string(added.year) + "-" + std::to_string(added.month) + "-";
    EXPECT_EQ(table.at(0).at(1).rfind(time, 0), 0u);
    EXPECT_GE(added.year, 2026);

    SMS::CSaveMsgMag saved;
    ASSERT_EQ(saved.saveMsg("新年快乐") + saved.saveMsg("生日快乐"), 2);
    ASSERT_EQ(saved.readAllSaveMsg(), 1);
    ASSERT_EQ(saved.exportAll(dir.file("s.csv")), 1);
    std::vector<Dmg::CSaveMsg> page;
    saved.getSaveMsg(0, 10, page);
    ASSERT_EQ(page.size(), 2u);
    EXPECT_EQ(readBack(dir.file("s.csv")).at(1),
              (std::vector<std::string>{"生日快乐", page[1].time.getString()}));
}

}  // namespace
