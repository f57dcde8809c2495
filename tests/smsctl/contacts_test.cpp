// smsctl contacts: CSV round trips with Chinese text, search and paging, the
// group tree, and wrong arguments.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/smsctl/SmsctlRun.h"

namespace {

using smsctltest::run;
using Args = std::vector<std::string>;

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

bool has(const std::string& text, const std::string& part) { return count(text, part) > 0; }

// Runs and expects success; the output.
std::string ok(const fakes::TempDir& dir, const Args& args) {
    const smsctltest::Result r = run(dir, args);
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
}

TEST(SmsctlContacts, CsvExportedFromOneUserImportsIntoAnotherUnchanged) {
    const fakes::TempDir one, two;
    // Plain literals are GBK: this is a GBK file, without and with quoting.
    std::ofstream(one.file("in.csv"), std::ios::binary)
        << "姓名,号码,公司,生日\r\n张三,13800138000,北京公司,1980-5-17\r\n"
           "无效,12345,x,\r\n\"李四, 王\",13900139000,上海,\r\n";
    EXPECT_EQ(ok(one, {"contacts", "import", one.file("in.csv")}),
              "stored 2 contacts, skipped 1 rows\n");
    ok(one, {"contacts", "export", one.file("out.csv")});
    const std::string exported = smsctltest::slurp(one.file("out.csv"));
    EXPECT_TRUE(has(exported, "张三") && has(exported, "\"李四, 王\""));

    ok(two, {"contacts", "import", one.file("out.csv")});
    ok(two, {"contacts", "export", two.file("out.csv")});
    EXPECT_EQ(smsctltest::slurp(two.file("out.csv")), exported);
    const std::string list = ok(two, {"--json", "contacts", "list"});
    EXPECT_EQ(list, ok(one, {"--json", "contacts", "list"}));
    EXPECT_TRUE(has(list, u8"李四, 王") && has(list, u8"北京公司") && has(list, "1980-5-17"));
}

TEST(SmsctlContacts, AddedContactsAreFoundPagedChangedAndDeleted) {
    const fakes::TempDir dir;
    for (int i = 0; i < 5; ++i) {
        const std::string n = std::to_string(i);
        EXPECT_EQ(
            ok(dir, {"contacts", "add", "--name", u8"联系人" + n, "--mobile", "1380000000" + n,
                     "--set", u8"电话=010-555" + n, "--set", u8"生日=1980-5-1" + n}),
            std::to_string(i + 1) + "\n");
    }
    // Past the manager's first load of a group (340), so the count needs the rest.
    // A file without a header: its columns named on the command line.
    std::string csv;
    for (int i = 0; i < 400; ++i) csv += "导入," + std::to_string(13900000000LL + i) + "\r\n";
    std::ofstream(dir.file("more.csv"), std::ios::binary) << csv;
    ok(dir, {"contacts", "import", dir.file("more.csv"), "--columns", u8"姓名,号码"});
    struct Case {
        Args args;
        std::size_t rows;
        const char* says;  // in the output, or in stderr for a list
    };
    const Case cases[] = {
        {{"list", "--page", "1", "--page-size", "2"}, 2, "page 1 of 203"},
        {{"list", "--page", "4", "--page-size", "100"}, 5, "405 contacts in the group"},
        {{"list", "--page", "5", "--page-size", "100"}, 0, "page 5 of 5"},
        {{"search", u8"名字", u8"人3"}, 1, u8"联系人3"},
        {{"search", u8"号码", "138000000"}, 5, "13800000004"},
        {{"search", u8"电话", "010-5552"}, 1, u8"联系人2"},
        {{"search", u8"生日", "1980-5-14"}, 1, u8"联系人4"},
    };
    for (const Case& c : cases) {
        Args args{"--json", "contacts"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        const smsctltest::Result r = run(dir, args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(count(r.out, "\"id\""), c.rows) << r.out;
        EXPECT_TRUE(has(r.out + r.err, c.says)) << r.out << r.err;
    }
    const std::string firstOfPage1 =
        ok(dir, {"--json", "contacts", "list", "--page", "1", "--page-size", "2"});
    EXPECT_TRUE(has(firstOfPage1, "\"3\"") && has(firstOfPage1, "\"4\"")) << firstOfPage1;

    ok(dir, {"contacts", "modify", "2", "--set", u8"公司=新公司", "--set", u8"婚姻=是"});
    const std::string shown = ok(dir, {"--json", "contacts", "show", "2"});
    EXPECT_TRUE(has(shown, u8"\"value\": \"新公司\"") && has(shown, u8"\"value\": \"联系人1\"") &&
                has(shown, u8"\"property\": \"婚否\", \"value\": \"是\""))
        << shown;
    EXPECT_EQ(run(dir, {"contacts", "delete", "1", "2"}).err, "deleted 2 contacts\n");
    const smsctltest::Result again = run(dir, {"contacts", "delete", "2", "3"});
    EXPECT_EQ(again.status, 1);
    EXPECT_TRUE(has(again.err, "deleted 1 contact\n") && has(again.err, "no contact with id 2"));
}

TEST(SmsctlContacts, GroupsAreAddedRenamedAndDeletedAsATree) {
    const fakes::TempDir dir;
    std::string root = ok(dir, {"contacts", "groups", "add", u8"朋友"});
    root.pop_back();
    std::string sub = ok(dir, {"contacts", "groups", "add", u8"同学", "--parent", root});
    sub.pop_back();
    ok(dir, {"contacts", "groups", "rename", sub, u8"老同学"});
    // Ids of one digit under "id": a subgroup's name is indented by two.
    const std::string tree = ok(dir, {"contacts", "groups", "list"});
    EXPECT_TRUE(has(tree, root + u8"   朋友") && has(tree, sub + u8"     老同学")) << tree;
    EXPECT_TRUE(has(ok(dir, {"--json", "contacts", "groups", "list"}),
                    u8"\"name\": \"老同学\", \"parent\": \"" + root + "\""));

    ok(dir, {"contacts", "groups", "delete", root});
    const std::string left = ok(dir, {"contacts", "groups", "list"});
    EXPECT_FALSE(has(left, u8"朋友") || has(left, u8"同学")) << left;
    EXPECT_EQ(run(dir, {"contacts", "groups", "delete", "1"}).status, 1);
}

TEST(SmsctlContacts, WrongArgumentsExitWith2) {
    const fakes::TempDir dir;
    std::ofstream(dir.file("in.csv"), std::ios::binary) << "a,b\r\n1,2\r\n";
    const Args cases[] = {
        {"contacts", "add", "--name", "x"},
        {"contacts", "add", "--name", "x", "--mobile", "12345"},
        {"contacts", "add", "--name", "x", "--mobile", "13800138000", "--set", u8"爱好=x"},
        {"contacts", "list", "--page-size", "0"},
        {"contacts", "search", "nothing", "x"},
        {"contacts", "import", dir.file("in.csv")},
        {"contacts", "import", dir.file("in.csv"), "--columns", u8"名字,公司"},
    };
    for (const Args& args : cases) {
        const smsctltest::Result r = run(dir, args);
        SCOPED_TRACE(args.back());
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_TRUE(has(r.err, "smsctl: ")) << r.err;
    }
}

}  // namespace
