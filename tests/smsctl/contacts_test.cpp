// smsctl contacts: CSV round trips with Chinese text, search and paging, the
// group tree.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/smsctl/SmsctlRun.h"

namespace smsctltest {
namespace {

TEST(SmsctlContacts, CsvExportedFromOneUserImportsIntoAnotherUnchanged) {
    const fakes::TempDir one, two;
    // Plain literals are GBK: this is a GBK file, without and with quoting.
    std::ofstream(one.file("in.csv"), std::ios::binary)
        << "姓名,号码,公司,生日\r\n张三,13800138000,北京公司,1980-5-17\r\n"
           "无效,12345,x,\r\n\"李四, 王\",13900139000,上海,\r\n";
    EXPECT_EQ(ok(one, {"contacts", "import", one.file("in.csv")}),
              "stored 2 contacts, skipped 1 rows\n");
    ok(one, {"contacts", "export", one.file("out.csv")});
    const std::string exported = slurp(one.file("out.csv"));
    EXPECT_TRUE(has(exported, "张三") && has(exported, "\"李四, 王\""));
    ok(two, {"contacts", "import", one.file("out.csv")});
    ok(two, {"contacts", "export", two.file("out.csv")});
    EXPECT_EQ(slurp(two.file("out.csv")), exported);
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
    const struct {
        Args args;
        std::size_t rows;
        const char* says;  // in the output, or in stderr for a list
    } cases[] = {
        {{"list", "--page", "1", "--page-size", "2"}, 2, "page 1 of 203"},
        {{"list", "--page", "4", "--page-size", "100"}, 5, "405 contacts in the group"},
        {{"list", "--page", "5", "--page-size", "100"}, 0, "page 5 of 5"},
        {{"search", u8"名字", u8"人3"}, 1, u8"联系人3"},
        {{"search", u8"号码", "138000000"}, 5, "13800000004"},
        {{"search", u8"电话", "010-5552"}, 1, u8"联系人2"},
        {{"search", u8"生日", "1980-5-14"}, 1, u8"联系人4"},
    };
    for (const auto& c : cases) {
        Args args{"--json", "contacts"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Result r = run(dir, args);
        SCOPED_TRACE(c.args[0] + " " + c.args[1] + "\n" + r.out + r.err);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(count(r.out, "\"id\""), c.rows);
        EXPECT_TRUE(has(r.out + r.err, c.says));
    }
    const std::string page1 =
        ok(dir, {"--json", "contacts", "list", "--page", "1", "--page-size", "2"});
    EXPECT_TRUE(has(page1, "\"3\"") && has(page1, "\"4\"")) << page1;

    ok(dir, {"contacts", "modify", "2", "--set", u8"公司=新公司", "--set", u8"婚姻=是"});
    const std::string shown = ok(dir, {"--json", "contacts", "show", "2"});
    EXPECT_TRUE(has(shown, u8"\"value\": \"新公司\"") && has(shown, u8"\"value\": \"联系人1\"") &&
                has(shown, u8"\"property\": \"婚否\", \"value\": \"是\""))
        << shown;
    EXPECT_EQ(run(dir, {"contacts", "delete", "1", "2"}).err, "deleted 2 contacts\n");
    runSteps(
        dir,
        {{{"contacts", "delete", "2", "3"}, 1, {"deleted 1 contact\n", "no contact with id 2"}}});
}

TEST(SmsctlContacts, GroupsAreAddedRenamedAndDeletedAsATree) {
    const fakes::TempDir dir;
    std::string root = ok(dir, {"contacts", "groups", "add", u8"朋友"});
    root.pop_back();
    std::string sub = ok(dir, {"contacts", "groups", "add", u8"同学", "--parent", root});
    sub.pop_back();
    ok(dir, {"contacts", "groups", "rename", sub, u8"老同学"});
    // Ids of one digit under "id": a subgroup's name is indented by two.
    // clang-format off
    runSteps(dir, {{{"contacts", "groups", "list"}, 0, {root + u8"   朋友", sub + u8"     老同学"}},
                   {{"--json", "contacts", "groups", "list"}, 0,
                    {u8"\"name\": \"老同学\", \"parent\": \"" + root + "\""}},
                   {{"contacts", "groups", "delete", root}, 0, {}},
                   {{"contacts", "groups", "list"}, 0, {}, {u8"朋友", u8"同学"}},
                   {{"contacts", "groups", "delete", "1"}, 1, {}}});
    // clang-format on
}

}  // namespace
}  // namespace smsctltest
