// The filter commands against a real user folder: list edits persist between
// runs, and a loaded prefix table changes classification and ends the
// built-in-defaults warning.
#include <gtest/gtest.h>

#include "tests/smsctl/SmsctlRun.h"

namespace smsctltest {
namespace {

TEST(SmsctlFilters, ListsKeepWhatIsAddedAndRemoved) {
    const fakes::TempDir dir;
    const struct {
        const char* list;
        const char* entry;
        const char* listed;  // as the JSON list shows it: numbers without blanks
    } cases[] = {
        {"reject-words", u8"发票", u8"\"发票\""},
        {"reject-numbers", " 13800138000 ", "\"13800138000\""},
        {"test-numbers", "13900139000", "\"13900139000\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list);
        ASSERT_EQ(run(dir, {"filters", c.list, "add", c.entry, c.entry}).status, 0);
        const std::string listed = ok(dir, {"--json", "filters", c.list, "list"});
        EXPECT_EQ(count(listed, c.listed), 1u) << listed;
        // clang-format off
        runSteps(dir, {{{"filters", c.list, "remove", c.entry}, 0, {}},
                       {{"--json", "filters", c.list, "list"}, 0, {}, {c.listed}},
                       {{"filters", c.list, "remove", c.entry}, 1, {"not on the list"}}});
        // clang-format on
    }
}

TEST(SmsctlFilters, ImportedPrefixesClassifyCurrentBlocksAndEndTheWarning) {
    const fakes::TempDir dir;
    const std::string warning = "carrier prefixes are the built-in defaults";
    const Result r = run(dir, {"classify", "15012345678", "13012345678"});
    EXPECT_TRUE(has(r.out, "not a sendable number")) << r.out;
    EXPECT_EQ(count(r.err, warning), 1u) << "once per run: " << r.err;
    ok(dir, {"filters", "prefixes", "import", SMS_SOURCE_DIR "/data/carrier-prefixes.csv"});
    const Result now = run(dir, {"classify", "15012345678", "18612345678", "19912345678"});
    EXPECT_EQ(now.out,
              "15012345678\tChina Mobile (YD)\n18612345678\tChina Unicom (LT)\n"
              "19912345678\tChina Telecom (DX)\n");
    EXPECT_FALSE(has(now.err, warning)) << now.err;
    // A table missing a carrier is refused, the loaded one stays.
    std::ofstream(dir.file("bad.csv")) << "China Mobile,150\n";
    // clang-format off
    runSteps(dir, {{{"filters", "prefixes", "list"}, 0, {"configured"}},
                   {{"filters", "prefixes", "import", dir.file("bad.csv")}, 2, {}},
                   {{"classify", "18612345678"}, 0, {"Unicom"}}});
    // clang-format on
}

}  // namespace
}  // namespace smsctltest
