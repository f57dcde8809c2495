// The CSV file library through its public manager, on real files in a
// temporary folder of each test's own.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "contracts/fileserialize/CFileManager.h"
#include "tests/fakes/FileSizeLimit.h"
#include "tests/fakes/LogCapture.h"
#include "tests/fakes/TempDir.h"

namespace {

using Rows = std::map<int, std::vector<std::string>>;
namespace fs = std::filesystem;

FileSerialize::CFileManager& manager() { return *FileSerialize::CFileManager::getSingletonPtr(); }

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// GBK bytes of "中文" and the UTF-8 bytes of the same text.
const std::string kGbkText = "\xD6\xD0\xCE\xC4";
const std::string kUtf8Text = "\xE4\xB8\xAD\xE6\x96\x87";

// Up to 6 rows, each of no cells, one empty cell, or 1..6 cells of up to 8
// pieces: a byte 1..255 or something CSV or the encoding check treats specially.
Rows randomRows(std::mt19937& rng) {
    static const std::vector<std::string> pieces = {",", "\"", "\r",     "\n",
                                                    " ", "\t", kGbkText, "\xEF\xBB\xBF"};
    Rows rows;
    for (int r = 0, n = static_cast<int>(rng() % 7); r < n; ++r) {
        const unsigned kind = rng() % 4;
        rows[r].resize(kind == 0 ? 0 : kind == 1 ? 1 : 1 + rng() % 6);
        for (std::string& cell : rows[r])
            for (unsigned i = kind < 2 ? 0 : rng() % 9; i > 0; --i)
                cell += rng() % 2 ? pieces[rng() % pieces.size()]
                                  : std::string(1, static_cast<char>(1 + rng() % 255));
    }
    return rows;
}

TEST(FileManager, RandomRowMapsReadBackUnchanged) {
    fakes::TempDir dir;
    const std::string path = dir.file("table.csv");
    std::mt19937 rng(20240611);
    int refused = 0;
    for (int round = 0; round < 500; ++round) {
        const Rows written = randomRows(rng);
        SCOPED_TRACE("round " + std::to_string(round));
        // Refused, rarely in random bytes: not GBK, yet the file would read as UTF-8.
        if (manager().exportToFile(path, written) != 1 && ++refused) continue;
        Rows read = {{7, {"stale"}}};
        ASSERT_EQ(1, manager().importFromFile(path, read));
        ASSERT_EQ(written, read);
    }
    EXPECT_LT(refused, 10);
    EXPECT_EQ(1, std::distance(fs::directory_iterator(dir.path()), {}));
}

// Files this library writes, byte for byte; files of other programs; broken
// files, which give 0, no rows and one log line naming the file.
TEST(FileManager, WritesReadsAndRefusesTheseBytes) {
    fakes::TempDir dir;
    enum Kind { kWritten, kRead, kRefused };
    struct Case {
        const char* name;
        std::string file;
        Rows rows;
        Kind kind;
        std::string path = {};  // imported instead of the file holding `file`
    };
    // clang-format off
    const std::vector<Case> cases = {
        {"quoting", "\"a,b\",\"say \"\"hi\"\"\",\"x\ry\",\"x\ny\",\" a\",\"b\t\"," + kGbkText + ",\r\n",
         {{0, {"a,b", "say \"hi\"", "x\ry", "x\ny", " a", "b\t", kGbkText, ""}}}, kWritten},
        {"empty row, one empty cell, two", "\r\n\"\"\r\n,\r\n", {{0, {}}, {1, {""}}, {2, {"", ""}}}, kWritten},
        {"mark bytes open the file", "\"\xEF\xBB\xBF" + kGbkText + "\"\r\n", {{0, {"\xEF\xBB\xBF" + kGbkText}}}, kWritten},
        {"UTF-8 with mark", "\xEF\xBB\xBF" + kUtf8Text + ",a\r\n", {{0, {kGbkText, "a"}}}, kRead},
        {"UTF-8 without mark", "a\r\n\"" + kUtf8Text + "\"", {{0, {"a"}}, {1, {kGbkText}}}, kRead},
        {"a surrogate is not UTF-8", "\xED\xA0\x80", {{0, {"\xED\xA0\x80"}}}, kRead},
        {"an overlong pair is not UTF-8", "\xC0\xAF", {{0, {"\xC0\xAF"}}}, kRead},
        {"an overlong triple is not UTF-8", "\xE0\x80\xAF", {{0, {"\xE0\x80\xAF"}}}, kRead},
        {"LF, lone CR, bare quote", "a\"b,\nb\rc\r\n\n", {{0, {"a\"b", ""}}, {1, {"b"}}, {2, {"c"}}, {3, {}}}, kRead},
        {"mark alone", "\xEF\xBB\xBF", {}, kRead},
        {"10 MB line", std::string(10 << 20, 'x'), {{0, {std::string(10 << 20, 'x')}}}, kRead},
        {"unbalanced quote", "a\r\nb,\"c\r\nd\r\n", {}, kRefused},
        {"NUL byte", std::string("a\0b", 3), {}, kRefused},
        {"text after a closing quote", "\"a\"b\r\n", {}, kRefused},
        {"GBK after a UTF-8 mark", "\xEF\xBB\xBF" + kGbkText, {}, kRefused},
        {"UTF-8 without a GBK form", "\xF0\x9F\x98\x80,a", {}, kRefused},
        {"65537 columns", std::string(65536, ',') + "\n" + std::string(200000, 'x'), {}, kRefused},
        {"100,000 empty lines", std::string(100000, '\n'), {}, kRefused},
        {"missing file", "", {}, kRefused, dir.file("missing.csv")},
        {"folder as path", "", {}, kRefused, dir.path()},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = c.path.empty() ? dir.file("in.csv") : c.path;
        const bool exported = c.kind == kWritten && manager().exportToFile(path, c.rows) == 1;
        EXPECT_EQ(c.kind == kWritten ? c.file : "", exported ? readBytes(path) : "");
        if (c.path.empty()) std::ofstream(path, std::ios::binary) << c.file;
        fakes::LogCapture log;
        Rows read = {{3, {"stale"}}};
        EXPECT_EQ(c.kind != kRefused, manager().importFromFile(path, read));
        EXPECT_EQ(c.rows, read);
        EXPECT_EQ(c.kind == kRefused ? 1u : 0u, log.texts(2).size());
        for (const auto& line : log.texts(2)) EXPECT_NE(std::string::npos, line.find(path));
    }
}

using FailedExport = std::tuple<const char*, std::string, Rows>;  // what, where, rows

// Every export fails: the old file stays as it was, no temporary file is left
// beside it, and one error is logged.
void expectEachFails(const fakes::TempDir& dir, const std::string& target,
                     const std::vector<FailedExport>& cases) {
    fs::create_directory(dir.file("folder"));
    for (const auto& [name, path, rows] : cases) {
        SCOPED_TRACE(name);
        std::ofstream(target, std::ios::binary) << "old\r\n";
        fakes::LogCapture log;
        EXPECT_EQ(0, manager().exportToFile(path, rows));
        EXPECT_EQ("old\r\n", readBytes(target));
        EXPECT_EQ(2, std::distance(fs::directory_iterator(dir.path()), {}));
        EXPECT_EQ(1u, log.texts(2).size());
    }
}

TEST(FileManager, FailedExportLeavesTheOldFileAndNoTemporaryFile) {
    fakes::TempDir dir;
    const std::string target = dir.file("old.csv");
    expectEachFails(dir, target, {
        {"NUL in a cell", target, {{0, {std::string("a\0b", 3)}}}},
        {"UTF-8 text that is not GBK", target, {{0, {"\xE4\xB8\xAD"}}}},
        {"folder as path", dir.file("folder"), {{0, {"a"}}}},
        // Regression: written as 700 lines of ",", which import refuses as
        // more cells than so short a file may hold.
        {"more cells than import takes from its file", target, [] {
             Rows rows;
             for (int i = 0; i < 700; ++i) rows[i] = {"", ""};
             return rows;
         }()},
    });
}

// The largest file this process may write lowered to 4 KB, so that a larger
// write fails part-way as on a full disk.
TEST(FileManager, ExportOnAFullDiskLeavesTheOldFileAndNoTemporaryFile) {
    if (!fakes::FileSizeLimit::supported()) {
        GTEST_SKIP() << "the OS has no file size limit per process to fill a disk with";
    }
    fakes::TempDir dir;
    const std::string target = dir.file("old.csv");
    const fakes::FileSizeLimit limit(4096);
    expectEachFails(dir, target, {{"disk full part-way", target, {{0, {std::string(1 << 20, 'x')}}}}});
}

}  // namespace
