// User data, an exported file and the log in a folder named in Chinese: the
// library's GBK path names that folder on disk, on every system, and a name
// that is not GBK names no file at all.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "contracts/base/CLog.h"
#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CRejectWordsDataSerialize.h"
#include "contracts/fileserialize/CFileManager.h"
#include "contracts/platform/FilePath.h"
#include "tests/fakes/TempDir.h"

namespace {

namespace fs = std::filesystem;
using Rows = std::map<int, std::vector<std::string>>;

// The test folder as the library takes paths.
std::string libraryRoot(const fakes::TempDir& temp) {
    return Platform::pathString(fs::u8path(temp.path()));
}

// The Chinese folder as the system names it, built without the platform
// layer: UTF-16 on Windows, the GBK bytes as they are on POSIX.
fs::path folderOnDisk(const fakes::TempDir& temp) {
#ifdef _WIN32
    return fs::u8path(temp.path()) / L"用户数据";
#else
    return fs::path(temp.path()) / "用户数据";
#endif
}

std::set<fs::path> namesIn(const fs::path& folder) {
    std::set<fs::path> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
    return names;
}

Dmg::CRejectWordsDataSerialize& rejectWords() {
    return *static_cast<Dmg::CRejectWordsDataSerialize*>(
        Dmg::CDataManager::getSingleton().getDataSerialize("rejectwords"));
}

TEST(ChineseFolder, DataExportAndLogLiveThereAndReadBack) {
    const fakes::TempDir temp;
    const std::string dir = libraryRoot(temp) + "/用户数据";
    Base::CLog& log = Base::CLog::getSingleton();
    Dmg::CDataManager& data = Dmg::CDataManager::getSingleton();
    auto& files = FileSerialize::CFileManager::getSingleton();
    const std::vector<std::string> words = {"违禁词", "广告"};
    const Rows rows = {{0, words}, {1, {"中文", "cell"}}};

    ASSERT_TRUE(log.setLogFile(dir + "/app.log"));  // makes the folder
    ASSERT_EQ(data.openUserData(dir), 1);
    ASSERT_EQ(rejectWords().setRejectWords(words), 1);
    ASSERT_EQ(files.exportToFile(dir + "/export.csv", rows), 1);
    log.writeMessage("已写入用户数据", 1);
    data.closeUserData();
    log.closeLogFile();

    // Exactly one folder was made, under the Chinese name.
    EXPECT_EQ(namesIn(fs::u8path(temp.path())), std::set<fs::path>{folderOnDisk(temp).filename()});
    const std::set<fs::path> inside = namesIn(folderOnDisk(temp));
    for (const char* name : {"Main.dll", "HLog.dll", "app.log", "export.csv"})
        EXPECT_EQ(inside.count(name), 1u) << name;
    std::ifstream logFile(folderOnDisk(temp) / "app.log", std::ios::binary);
    const std::string logText{std::istreambuf_iterator<char>(logFile), {}};
    EXPECT_NE(logText.find("已写入用户数据"), std::string::npos) << logText;

    ASSERT_EQ(data.openUserData(dir), 1);
    std::vector<std::string> stored;
    EXPECT_EQ(rejectWords().getRejectWords(stored), 1);
    data.closeUserData();
    EXPECT_EQ(stored, words);
    Rows back;
    EXPECT_EQ(files.importFromFile(dir + "/export.csv", back), 1);
    EXPECT_EQ(back, rows);
}

#ifdef _WIN32
// On POSIX any bytes are a name; on Windows a path that is not GBK must fail,
// not open a file of another name (or SQLite's private temporary database).
TEST(ChineseFolder, NotGbkNamesNoFile) {
    const fakes::TempDir temp;
    const std::string dir = libraryRoot(temp) + "/\x81\x7f";
    EXPECT_FALSE(Base::CLog::getSingleton().setLogFile(dir + "/app.log"));
    EXPECT_EQ(Dmg::CDataManager::getSingleton().openUserData(dir), 0);
    auto& files = FileSerialize::CFileManager::getSingleton();
    Rows rows = {{0, {"a"}}};
    EXPECT_EQ(files.exportToFile(dir + "/x.csv", rows), 0);
    EXPECT_EQ(files.importFromFile(dir + "/x.csv", rows), 0);
    EXPECT_TRUE(fs::is_empty(fs::u8path(temp.path())));
}
#endif

}  // namespace
