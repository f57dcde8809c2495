// The content-library commands against a real user folder: what is added is
// listed, found, exported and deleted, each through its own run.
#include <gtest/gtest.h>

#include "tests/smsctl/SmsctlRun.h"

namespace smsctltest {
namespace {

const std::string kBirthday = u8"祝你生日快乐";

TEST(SmsctlLibrary, PhraseAddListSearchExportDelete) {
    const fakes::TempDir dir;
    // Phrase 1; the export is GBK, one row per phrase.
    const std::string csv = dir.file("out.csv");
    // clang-format off
    runSteps(dir, {{{"phrases", "add", kBirthday}, 0, {"added phrase 1"}},
                   {{"phrases", "add", u8"会议改到三点"}, 0, {}},
                   {{"phrases", "list"}, 0, {kBirthday}},
                   {{"phrases", "list", "--page", "1", "--page-size", "1"}, 0, {}, {kBirthday}},
                   {{"phrases", "search", u8"生日"}, 0, {kBirthday}},
                   {{"phrases", "search", u8"三点"}, 0, {}, {kBirthday}},
                   {{"--json", "phrases", "search", ""}, 0, {kBirthday}},
                   {{"phrases", "export", csv}, 0, {}},
                   {{"phrases", "delete", "1"}, 0, {}},
                   {{"phrases", "list"}, 0, {u8"三点"}, {kBirthday}},
                   {{"phrases", "delete", "1"}, 1, {"no phrase 1"}}});
    // clang-format on
    const std::string exported = slurp(csv);
    EXPECT_TRUE(has(exported, "祝你生日快乐") && has(exported, "会议改到三点")) << exported;
}

TEST(SmsctlLibrary, ImportIntoANewGroupAndSavedMessagesRoundTrip) {
    const fakes::TempDir dir;
    const std::string in = dir.file("in.csv"), saved = dir.file("saved.csv");
    std::ofstream(in) << u8"第一句\n第二句\n";
    // The group made first gets the id 2; one that is not there refuses the
    // whole import.
    // clang-format off
    runSteps(dir, {{{"phrases", "groups", "add", u8"节日"}, 0, {"2"}},
                   {{"phrases", "import", in, "--group", "2"}, 0, {}},
                   {{"phrases", "list", "--group", "2"}, 0, {u8"第二句"}},
                   {{"phrases", "groups", "list"}, 0, {u8"节日"}},
                   {{"phrases", "import", in, "--group", "99"}, 1, {}},
                   {{"saved", "add", u8"明天见"}, 0, {}},
                   {{"saved", "export", saved}, 0, {}},
                   {{"saved", "delete", "1"}, 0, {}},
                   {{"saved", "list"}, 0, {}, {u8"明天见"}},
                   {{"reminders", "add", u8"交电费", "--at", "2030-1-5 9:30", "--name", u8"张三"},
                    0, {}},
                   {{"reminders", "search", "", "--owner", u8"张"}, 0,
                    {"2030-01-05 09:30", u8"交电费"}}});
    // clang-format on
    EXPECT_TRUE(has(slurp(saved), "明天见"));
}

}  // namespace
}  // namespace smsctltest
