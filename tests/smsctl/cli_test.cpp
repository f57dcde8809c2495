// The client's contract with scripts: exit statuses and messages for wrong
// arguments, and the demo.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/fakes/ScopedEnv.h"
#include "tests/smsctl/SmsctlRun.h"

namespace smsctltest {
namespace {

TEST(SmsctlCli, WrongArgumentsNameTheProblemAndExitWith2) {
    const fakes::TempDir dir;
    const std::string csv = dir.file("in.csv");
    std::ofstream(csv, std::ios::binary) << "a,b\r\n1,2\r\n";
    // A wrong send is refused before the user folder is made.
    // clang-format off
    runSteps(dir, {{{"--help"}, 0, {"Subcommands"}},
                   {{}, 2, {"subcommand is required"}},
                   {{"--gateway", "elsewhere", "classify", "1"}, 2, {"--gateway"}},
                   {{"classify", "--bogus"}, 2, {"--bogus"}},
                   {{"send", "13800138000", "--text", "hi", "--at", "2026-02-30 10:00"}, 2,
                    {"--at"}},
                   {{"send", "13800138000", "--text", "hi", "--at", "tomorrow"}, 2, {"--at"}},
                   {{"send", "13800138000"}, 2, {"smsctl: "}},
                   {{"send", "--text", "hi"}, 2, {"smsctl: "}}});
    // clang-format on
    EXPECT_FALSE(std::filesystem::exists(dir.file("user")));
    // clang-format off
    runSteps(dir, {{{"contacts", "add", "--name", "x"}, 2, {"smsctl: "}},
                   {{"contacts", "add", "--name", "x", "--mobile", "12345"}, 2, {"smsctl: "}},
                   {{"contacts", "add", "--name", "x", "--mobile", "13800138000", "--set",
                     u8"爱好=x"},
                    2, {"smsctl: "}},
                   {{"contacts", "list", "--page-size", "0"}, 2, {"smsctl: "}},
                   {{"contacts", "search", "nothing", "x"}, 2, {"smsctl: "}},
                   {{"contacts", "import", csv}, 2, {"smsctl: "}},
                   {{"contacts", "import", csv, "--columns", u8"名字,公司"}, 2, {"smsctl: "}},
                   {{"reminders", "add", "x", "--at", "soon"}, 2, {"smsctl: "}}});
    // clang-format on
}

// The demo runs the whole road in a folder of its own under TMPDIR and
// removes it: everything sent once, the rejected number failed, nothing left.
TEST(SmsctlCli, DemoSendsEverythingAndLeavesNothing) {
    const fakes::TempDir dir, tmp;
    const Result r = [&] {
        const fakes::ScopedEnv tmpdir("TMPDIR", tmp.path());
        return run(dir, {"demo"});
    }();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.out, u8"1 packets sent, 1 failed, 1 recipients rejected, 7 segments"))
        << r.out;
    EXPECT_TRUE(std::filesystem::is_empty(tmp.path()));
}

}  // namespace
}  // namespace smsctltest
