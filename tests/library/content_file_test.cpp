// The content managers on the real main store and real files: imports,
// searches, group operations and exports read back through the file library.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "contracts/dmg/CDataManager.h"
#include "contracts/fileserialize/CFileManager.h"
#include "library/CAlertInfoMag.h"
#include "library/CSaveMsgMag.h"
#include "library/CWordMag.h"
#include "tests/fakes/RecordingProgressDlg.h"
#include "tests/fakes/TempDir.h"

namespace {

using Strings = std::vector<std::string>;
using Table = std::map<int, Strings>;

class ContentFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Dmg::CDataManager::getSingleton().openUserData(dir.path()), 1); }
    void TearDown() override { Dmg::CDataManager::getSingleton().closeUserData(); }

    Table readBack(const std::string& path) {
        Table table;
        EXPECT_EQ(FileSerialize::CFileManager::getSingleton().importFromFile(path, table), 1);
        return table;
    }

    fakes::TempDir dir;
};

TEST_F(ContentFileTest, PhrasesImportSearchDeleteAndExport) {
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
    EXPECT_EQ(shown[0].getWordStrut().content + "|" + shown[1].getWordStrut().content, "ABCD|x,\"y\"");
    const Dmg::CSmsData added = shown[0].getWordStrut().addTime;
    EXPECT_GE(added.year, 2026);

    ASSERT_EQ(words.exportWord(dir.file("w.csv"), shown), 1);
    const std::string time = std::to_string(added.year) + "-" + std::to_string(added.month);
    const Table table = readBack(dir.file("w.csv"));
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table.at(0).at(0), "ABCD");
    EXPECT_EQ(table.at(0).at(1).rfind(time, 0), 0u);

    EXPECT_EQ(words.SelectWordByContent("BC"), 1);
    EXPECT_EQ(words.getCurWordNum(), 2);  // in both groups
    EXPECT_EQ(words.selectWordNum("", "A1"), 1);
    EXPECT_EQ(words.getCurWordNum(), 2);
    EXPECT_EQ(words.delGroup(a), 1);  // its subgroup and phrases go with it
    words.SelectWordByContent("");
    EXPECT_EQ(words.getCurWordNum(), 2);
}

TEST_F(ContentFileTest, RemindersSearchDeleteWithProgressAndExport) {
    SMS::CAlertInfoMag alerts;
    Dmg::CAlertInfo info;
    for (const char* p : {"提醒类型", "名字", "手机", "内容"}) info.addPropetyAndValue(p, p);
    info.addPropetyAndValue("激活时间", "2027-1-2-3-4");
    std::vector<int> ids;
    ASSERT_EQ(alerts.addAlertInfo(info, {}, ids), 2);
    info.addPropetyAndValue("手机", "13800138000");
    ASSERT_EQ(alerts.addAlertInfo(info, {}, ids), 2);

    ASSERT_EQ(alerts.getGroupAlertInfoNum(1), 1);
    std::vector<Dmg::CAlertInfo> all;
    alerts.getAllInfoInVec(all);
    ASSERT_EQ(alerts.exportAlertInfo(dir.file("a.csv"), all), 1);
    const Table table = readBack(dir.file("a.csv"));
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(Strings(table.at(0).begin(), table.at(0).end() - 1),
              (Strings{"2027-1-2-3-4", "名字", "内容", "手机", "提醒类型"}));

    struct Probe : SMS::CAlertInfoMag {
        using CAlertInfoMag::selectAlertInfo;
    } probe;
    EXPECT_EQ(probe.selectAlertInfo("手机", "138"), 1);
    EXPECT_EQ(probe.getCurAlertInfoNum(), 1);
    EXPECT_EQ(probe.selectAlertInfo("激活时间", "2027-1"), 1);
    EXPECT_EQ(probe.getCurAlertInfoNum(), 2);
    fakes::RecordingProgressDlg progress;
    EXPECT_EQ(probe.delCurGroup(1, &progress), 1);
    EXPECT_EQ(alerts.getGroupAlertInfoNum(1), 1);
    EXPECT_EQ(alerts.getCurAlertInfoNum(), 0);
}

TEST_F(ContentFileTest, SavedMessagesSearchDeleteAndExport) {
    SMS::CSaveMsgMag saved;
    ASSERT_EQ(saved.saveMsg("新年快乐") + saved.saveMsg("生日快乐"), 2);
    ASSERT_EQ(saved.selectSaveMsg("生日"), 1);
    ASSERT_EQ(saved.getMsgNum(), 1);
    ASSERT_EQ(saved.readAllSaveMsg(), 1);
    ASSERT_EQ(saved.exportAll(dir.file("s.csv")), 1);
    const Table table = readBack(dir.file("s.csv"));
    std::vector<Dmg::CSaveMsg> page;
    saved.getSaveMsg(0, 10, page);
    ASSERT_EQ(page.size(), 2u);
    EXPECT_EQ(table.at(1), (Strings{"生日快乐", page[1].time.getString()}));
    EXPECT_EQ(saved.delSaveMsg(page[0].number), 2);
    EXPECT_EQ(saved.readAllSaveMsg(), 1);
    EXPECT_EQ(saved.getMsgNum(), 1);
}

}  // namespace
