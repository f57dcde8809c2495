// The client's contract with scripts: exit statuses and messages for wrong
// arguments, and the demo.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

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

// A user folder and a file named in Chinese, given as UTF-8 arguments as a
// terminal passes them: the data, the log and the export land under exactly
// those names, and the next run finds the data there.
TEST(SmsctlCli, ChineseUserFolderAndFileNames) {
    const fakes::TempDir dir;
    const std::string user = dir.path() + u8"/用户数据", csv = dir.path() + u8"/导出.csv";
    ok(dir, {"contacts", "add", "--name", u8"张三", "--mobile", "13800138000"}, user);
    ok(dir, {"contacts", "export", csv}, user);
    EXPECT_TRUE(has(ok(dir, {"--json", "contacts", "list"}, user), u8"张三"));

    namespace fs = std::filesystem;
    std::set<fs::path> names;
    for (const auto& e : fs::directory_iterator(fs::u8path(dir.path())))
        names.insert(e.path().filename());
    EXPECT_EQ(names, (std::set<fs::path>{"stdout", "stderr", fs::u8path(u8"用户数据"),
                                         fs::u8path(u8"导出.csv")}));
    for (const char* name : {"Main.dll", "smsctl.log"})
        EXPECT_TRUE(fs::is_regular_file(fs::u8path(user) / name)) << name;
    std::ifstream exported(fs::u8path(csv), std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(exported), {}};
    EXPECT_TRUE(has(text, "张三")) << text;  // GBK in the file
}

}  // namespace
}  // namespace smsctltest
