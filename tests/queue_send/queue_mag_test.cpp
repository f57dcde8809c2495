// The in-memory queue: summary records, taking, clearing, removing.
#include "tests/queue_send/QueueFakes.h"

namespace queuetest {
namespace {

std::vector<Dmg::QueueData> drain(SMS::CSmsSendLoadMag& q) {
    std::vector<Dmg::QueueData> out;
    Dmg::QueueData r;
    while (q.getHead(r)) out.push_back(r);
    return out;
}

TEST_F(QueueTest, AddSendQueuePutsTheSendTotalsAtTheSummaryPosition) {
    struct Case {
        const char* name;
        std::vector<Dmg::QueueData> packets;
        std::vector<int> skip, recipients, segments, packetCount;
    };
    const std::vector<Case> cases = {
        {"immediate", {packet(1, 70), packet(2, 70), packet(3, 10)}, {1, 0, 0, 0}, {150, 70, 70, 10},
         {300, 140, 140, 20}, {3, 0, 0, 0}},
        {"timed", {packet(1, 300, 1), packet(2, 50, 1)}, {0, 0}, {350, 50}, {700, 100}, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SMS::CSmsSendLoadMag local;  // the threads started meanwhile work on the shared queue
        local.setFinished();
        ASSERT_EQ(1, local.addSendQueue(c.packets));
        EXPECT_FALSE(local.isFinished());
        const auto got = drain(local);
        ASSERT_EQ(c.skip.size(), got.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(c.skip[i], got[i].skipFlag);
            EXPECT_EQ(c.recipients[i], got[i].recipientCount);
            EXPECT_EQ(c.segments[i], got[i].segmentCount);
            EXPECT_EQ(c.packetCount[i], got[i].packetCount);
        }
        EXPECT_EQ(1001, got[0].packetId);  // summary copies the first packet's id and text
        EXPECT_EQ("text", got[0].displayText);
    }
}

TEST_F(QueueTest, EmptySendChangesNothing) {
    SMS::CSmsSendLoadMag local;
    local.setFinished();
    EXPECT_EQ(0, local.addSendQueue({}));
    EXPECT_TRUE(local.isEmpty());
    EXPECT_TRUE(local.isFinished());
    EXPECT_EQ(0, service->isActive());
    EXPECT_EQ(0, log.count("addSendQueue 1"));
}

TEST_F(QueueTest, GetHeadClearAllAndRemoveByRecordIds) {
    SMS::CSmsSendLoadMag local;
    Dmg::QueueData out = packet(77);
    EXPECT_EQ(0, local.getHead(out));
    EXPECT_EQ(77, out.recordId);

    local.addSendQueue({packet(1), packet(2), packet(3), packet(4)});
    Ids held;
    EXPECT_EQ(2, local.removeByRecordIds({2, 4, 99}, held));
    EXPECT_TRUE(held.empty());
    const auto left = drain(local);
    ASSERT_EQ(3u, left.size());  // the summary stays
    EXPECT_EQ(1, left[1].recordId);
    EXPECT_EQ(3, left[2].recordId);

    local.addSendQueue({packet(5)});
    log.clear();
    EXPECT_EQ(1, local.ClearAll());
    EXPECT_TRUE(local.isEmpty());
    // The sending thread started by addSendQueue may log on its own meanwhile.
    std::vector<std::string> clearLines;
    for (const auto& line : log.texts(0)) {
        if (line.rfind("ClearAll", 0) == 0) clearLines.push_back(line);
    }
    EXPECT_EQ((std::vector<std::string>{"ClearAll 1", "ClearAll 2", "ClearAll 3", "ClearAll 4"}),
              clearLines);
}

}  // namespace
}  // namespace queuetest
