// The content-library commands against a real user folder: what is added is
// listed, found, exported and deleted, each through its own run.
#include <gtest/gtest.h>

#include "tests/smsctl/SmsctlRun.h"

namespace {

using smsctltest::run;

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The number after "added phrase " in the confirmation line.
std::string addedId(const std::string& out) {
    const std::string::size_type at = out.rfind(' ');
    return out.substr(at + 1, out.find('\n', at) - at - 1);
}

TEST(SmsctlLibrary, PhraseAddListSearchExportDelete) {
    const fakes::TempDir dir;
    smsctltest::Result r = run(dir, {"phrases", "add", u8"祝你生日快乐"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string id = addedId(r.out);
    ASSERT_EQ(run(dir, {"phrases", "add", u8"会议改到三点"}).status, 0);

    struct Case {
        std::vector<std::string> args;
        bool shows;  // the birthday phrase is in the output
    };
    const Case cases[] = {
        {{"phrases", "list"}, true},
        {{"phrases", "list", "--page", "1", "--page-size", "1"}, false},
        {{"phrases", "search", u8"生日"}, true},
        {{"phrases", "search", u8"三点"}, false},
        {{"--json", "phrases", "search", ""}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.back());
        r = run(dir, c.args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(has(r.out, u8"祝你生日快乐"), c.shows) << r.out;
    }

    // The export is GBK, one row per phrase.
    ASSERT_EQ(run(dir, {"phrases", "export", dir.file("out.csv")}).status, 0);
    const std::string csv = smsctltest::slurp(dir.file("out.csv"));
    EXPECT_TRUE(has(csv, "祝你生日快乐") && has(csv, "会议改到三点")) << csv;

    ASSERT_EQ(run(dir, {"phrases", "delete", id}).status, 0);
    EXPECT_FALSE(has(run(dir, {"phrases", "list"}).out, u8"祝你生日快乐"));
    r = run(dir, {"phrases", "delete", id});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.err, "no phrase " + id)) << r.err;
}

TEST(SmsctlLibrary, ImportIntoANewGroupAndSavedMessagesRoundTrip) {
    const fakes::TempDir dir;
    std::ofstream(dir.file("in.csv")) << u8"第一句\n第二句\n";
    smsctltest::Result r = run(dir, {"phrases", "groups", "add", u8"节日"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string group = addedId(r.out);
    ASSERT_EQ(run(dir, {"phrases", "import", dir.file("in.csv"), "--group", group}).status, 0);
    EXPECT_TRUE(has(run(dir, {"phrases", "list", "--group", group}).out, u8"第二句"));
    EXPECT_TRUE(has(run(dir, {"phrases", "groups", "list"}).out, u8"节日"));
    // A group that is not there refuses the whole import.
    EXPECT_EQ(run(dir, {"phrases", "import", dir.file("in.csv"), "--group", "99"}).status, 1);

    ASSERT_EQ(run(dir, {"saved", "add", u8"明天见"}).status, 0);
    ASSERT_EQ(run(dir, {"saved", "export", dir.file("saved.csv")}).status, 0);
    EXPECT_TRUE(has(smsctltest::slurp(dir.file("saved.csv")), "明天见"));
    EXPECT_EQ(run(dir, {"saved", "delete", "1"}).status, 0);
    EXPECT_FALSE(has(run(dir, {"saved", "list"}).out, u8"明天见"));

    r = run(dir, {"reminders", "add", u8"交电费", "--at", "2030-1-5 9:30", "--name", u8"张三"});
    ASSERT_EQ(r.status, 0) << r.err;
    r = run(dir, {"reminders", "search", "", "--owner", u8"张"});
    EXPECT_TRUE(has(r.out, "2030-01-05 09:30") && has(r.out, u8"交电费")) << r.out;
    EXPECT_EQ(run(dir, {"reminders", "add", "x", "--at", "soon"}).status, 2);
}

}  // namespace
