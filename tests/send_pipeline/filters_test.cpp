#include <gtest/gtest.h>

#include "send/CSmsSender.h"
#include "tests/send_pipeline/RecordingStores.h"

namespace pipeline {
namespace {

using Elements = std::vector<Dmg::CSendQueueElement>;

struct Sender : SMS::CSmsSender {
    using SMS::CSmsSender::FliterA;
    using SMS::CSmsSender::FliterB;
};

Dmg::CSendQueueElement element(const std::string& phone, int state, const std::string& text) {
    Dmg::CSendQueueElement e;
    e.phone = phone;
    e.checkState = state;
    e.message = text;
    return e;
}

std::string phones(const Elements& list) {
    std::string out;
    for (const auto& e : list) out += e.phone + ";";
    return out;
}

TEST(Filters, DecideByPhoneListCheckStateAndOwnText) {
    struct Row {
        const char* name;
        Dmg::CSendQueueElement e;
        bool sentByA, sentByB;
        int wordTests;  // FliterB's text tests
    };
    const Row rows[] = {
        {"listed number", element("13900000000", 1, "ok"), false, false, 0},
        {"untested, reject word", element("13800000001", 0, "坏词"), true, false, 1},
        {"untested, empty", element("13800000002", 0, ""), true, false, 1},
        {"untested, clean", element("13800000003", 0, "ok"), true, true, 1},
        {"refused by composition", element("13800000004", -1, "ok"), true, false, 0},
        {"clean, not tested again", element("13800000005", 1, "坏词"), true, true, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Stores stores;
        stores.phones.listed = {"13900000000"};
        stores.words.words = {"坏词"};
        // Both filters append after what the lists already hold.
        Elements sendA = {element("x", 1, "")}, rejA = sendA, sendB = sendA, rejB = sendA;
        Sender().FliterA({row.e}, sendA, rejA);
        EXPECT_EQ(phones(row.sentByA ? sendA : rejA), "x;" + row.e.phone + ";");
        EXPECT_EQ(phones(row.sentByA ? rejA : sendA), "x;");
        stores.calls.clear();
        Sender().FliterB({row.e}, sendB, rejB);
        EXPECT_EQ(phones(row.sentByB ? sendB : rejB), "x;" + row.e.phone + ";");
        EXPECT_EQ(phones(row.sentByB ? rejB : sendB), "x;");
        EXPECT_EQ(stores.calls.size(), 1u + row.wordTests);
    }
}

}  // namespace
}  // namespace pipeline
