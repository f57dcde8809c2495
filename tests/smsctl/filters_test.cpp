// The filter commands against a real user folder: list edits persist between
// runs, and a loaded prefix table changes classification and ends the
// built-in-defaults warning.
#include <gtest/gtest.h>

#include "tests/smsctl/SmsctlRun.h"

namespace {

using smsctltest::run;

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(SmsctlFilters, ListsKeepWhatIsAddedAndRemoved) {
    const fakes::TempDir dir;
    struct Case {
        const char* list;
        const char* entry;
        const char* listed;  // as the JSON list shows it: numbers without blanks
    };
    const Case cases[] = {
        {"reject-words", u8"发票", u8"\"发票\""},
        {"reject-numbers", " 13800138000 ", "\"13800138000\""},
        {"test-numbers", "13900139000", "\"13900139000\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        ASSERT_EQ(run(dir, {"filters", c.list, "add", c.entry, c.entry}).status, 0);
        smsctltest::Result r = run(dir, {"--json", "filters", c.list, "list"});
        EXPECT_TRUE(has(r.out, c.listed)) << r.out;
        EXPECT_EQ(r.out.find(c.listed), r.out.rfind(c.listed)) << "listed twice: " << r.out;
        ASSERT_EQ(run(dir, {"filters", c.list, "remove", c.entry}).status, 0);
        EXPECT_FALSE(has(run(dir, {"--json", "filters", c.list, "list"}).out, c.listed));
        r = run(dir, {"filters", c.list, "remove", c.entry});
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(has(r.err, "not on the list")) << r.err;
    }
}

TEST(SmsctlFilters, ImportedPrefixesClassifyCurrentBlocksAndEndTheWarning) {
    const fakes::TempDir dir;
    const std::string warning = "carrier prefixes are the built-in defaults";
    smsctltest::Result r = run(dir, {"classify", "15012345678", "13012345678"});
    EXPECT_TRUE(has(r.out, "not a sendable number")) << r.out;
    EXPECT_EQ(r.err.find(warning), r.err.rfind(warning)) << "once per run: " << r.err;
    EXPECT_TRUE(has(r.err, warning)) << r.err;

    r = run(dir, {"filters", "prefixes", "import", SMS_SOURCE_DIR "/data/carrier-prefixes.csv"});
    ASSERT_EQ(r.status, 0) << r.err;
    r = run(dir, {"classify", "15012345678", "18612345678", "19912345678"});
    EXPECT_EQ(r.out,
              "15012345678\tChina Mobile (YD)\n18612345678\tChina Unicom (LT)\n"
              "19912345678\tChina Telecom (DX)\n");
    EXPECT_FALSE(has(r.err, warning)) << r.err;
    EXPECT_TRUE(has(run(dir, {"filters", "prefixes", "list"}).out, "configured"));

    // A table missing a carrier is refused, the loaded one stays.
    std::ofstream(dir.file("bad.csv")) << "China Mobile,150\n";
    EXPECT_EQ(run(dir, {"filters", "prefixes", "import", dir.file("bad.csv")}).status, 2);
    EXPECT_TRUE(has(run(dir, {"classify", "18612345678"}).out, "Unicom"));
}

}  // namespace
