// The client's contract with scripts: exit statuses and messages for wrong
// arguments, and text that is not UTF-8.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/smsctl/SmsctlRun.h"

namespace {

TEST(SmsctlCli, WrongArgumentsNameTheProblemAndExitWith2) {
    const fakes::TempDir dir;
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* says;
    };
    const Case cases[] = {
        {{"--help"}, 0, "Subcommands"},
        {{}, 2, "subcommand is required"},
        {{"--gateway", "elsewhere", "classify", "1"}, 2, "--gateway"},
        {{"classify", "--bogus"}, 2, "--bogus"},
    };
    for (const Case& c : cases) {
        const smsctltest::Result r = smsctltest::run(dir, c.args);
        SCOPED_TRACE(r.err);
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE((c.status == 0 ? r.out : r.err).find(c.says), std::string::npos);
    }
}

}  // namespace

// The demo runs the whole road in a folder of its own under TMPDIR and
// removes it: everything sent once, the rejected number failed, nothing left.
TEST(SmsctlCli, DemoSendsEverythingAndLeavesNothing) {
    const fakes::TempDir dir;
    const fakes::TempDir tmp;
    const char* const previous = std::getenv("TMPDIR");
    const std::string saved = previous != nullptr ? previous : "";
    ::setenv("TMPDIR", tmp.path().c_str(), 1);
    const smsctltest::Result r = smsctltest::run(dir, {"demo"});
    previous != nullptr ? ::setenv("TMPDIR", saved.c_str(), 1) : ::unsetenv("TMPDIR");
    SCOPED_TRACE(r.out + r.err);
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find(u8"1 packets sent, 1 failed, 1 recipients rejected, 7 segments"),
              std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(tmp.path()));
}
