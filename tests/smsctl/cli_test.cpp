// The client's contract with scripts: exit statuses and messages for wrong
// arguments, and text that is not UTF-8.
#include <gtest/gtest.h>

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
