// The content managers on the real main store and real files: an import that
// is stored whole or not at all, searches and a group deletion in the store,
// and exports read back through the file library.
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

TEST_F(ContentFileTest, PhrasesAndSavedMessagesImportSearchDeleteAndExport) {
    SMS::CWordMag words;
    int a = 0, b = 0, sub = 0;
    ASSERT_EQ(words.addRootGroup("A", a) + words.addRootGroup("B", b), 2);
    ASSERT_EQ(words.addSubGroup(a, "A1", sub), 1);
    Table rows{{0, {"AB", "CD"}}, {1, {"x,\"y\""}}};
    EXPECT_EQ(words.importWord(rows, {sub, 999}), 0);  // no group 999: nothing stored
    ASSERT_EQ(words.importWord(rows, {sub, b}), 1);
    ASSERT_EQ(words.getGroupWordNum(sub), 1);
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
    EXPECT_EQ(words.SelectWordByContent("BC"), 1);
    EXPECT_EQ(words.getCurWordNum(), 2);  // in both groups
    EXPECT_EQ(words.selectWordNum("", "A1"), 1);
    EXPECT_EQ(words.getCurWordNum(), 2);
    EXPECT_EQ(words.delGroup(a), 1);  // its subgroup and phrases go with it
    words.SelectWordByContent("");
    EXPECT_EQ(words.getCurWordNum(), 2);

    SMS::CSaveMsgMag saved;
    ASSERT_EQ(saved.saveMsg("新年快乐") + saved.saveMsg("生日快乐"), 2);
    ASSERT_EQ(saved.selectSaveMsg("生日") + saved.getMsgNum(), 2);
    ASSERT_EQ(saved.readAllSaveMsg(), 1);
    ASSERT_EQ(saved.exportAll(dir.file("s.csv")), 1);
    std::vector<Dmg::CSaveMsg> page;
    saved.getSaveMsg(0, 10, page);
    ASSERT_EQ(page.size(), 2u);
    EXPECT_EQ(readBack(dir.file("s.csv")).at(1),
              (std::vector<std::string>{"生日快乐", page[1].time.getString()}));
}

}  // namespace
