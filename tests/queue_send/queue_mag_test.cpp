// The in-memory queue: summary records, taking, clearing, removing.
#include <array>

#include "tests/queue_send/QueueFakes.h"

namespace queuetest {
namespace {

Packets drain(SMS::CSmsSendLoadMag& q) {
    Packets out;
    Dmg::QueueData r;
    while (q.getHead(r)) out.push_back(r);
    return out;
}

TEST_F(QueueTest, AddSendQueuePutsTheSendTotalsAtTheSummaryPosition) {
    using Row = std::array<int, 5>;  // skip flag, recipients, segments, packet count, packet id
    const struct { const char* name; Packets packets; std::vector<Row> queued; } cases[] = {
        {"immediate",
         {packet(1, 70), packet(2, 70), packet(3, 10)},
         {{1, 150, 300, 3, 1001}, {0, 70, 140, 0, 1001}, {0, 70, 140, 0, 1002}, {0, 10, 20, 0, 1003}}},
        // No summary: the first packet carries the totals.
        {"timed", {packet(1, 300, 1), packet(2, 50, 1)}, {{0, 350, 700, 0, 1001}, {0, 50, 100, 0, 1002}}},
        {"empty: changes nothing", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SMS::CSmsSendLoadMag local;  // the threads started meanwhile work on the shared queue
        local.setFinished();
        EXPECT_EQ(c.packets.empty() ? 0 : 1, local.addSendQueue(c.packets));
        EXPECT_EQ(c.packets.empty(), local.isFinished());
        std::vector<Row> got;
        for (const auto& r : drain(local)) {
            got.push_back({r.skipFlag, r.recipientCount, r.segmentCount, r.packetCount, r.packetId});
            EXPECT_EQ("text", r.displayText);
        }
        EXPECT_EQ(c.queued, got);
    }
}

TEST_F(QueueTest, GetHeadClearAllAndRemoveByRecordIds) {
    SMS::CSmsSendLoadMag local;
    Dmg::QueueData out = packet(77);
    EXPECT_EQ(0, local.getHead(out));
    EXPECT_EQ(77, out.recordId);

    local.addSendQueue({packet(1), packet(2), packet(3), packet(4)});
    Ids held;
    EXPECT_EQ(2, local.removeByRecordIds({0, 2, 4, 99}, held));
    EXPECT_TRUE(held.empty());
    EXPECT_EQ((Ids{0, 1, 3}), idsOf(drain(local)));  // the summary (record id 0) is not a packet: it stays

    local.addSendQueue({packet(5)});
    log.clear();
    EXPECT_EQ(1, local.ClearAll());
    EXPECT_TRUE(local.isEmpty());
    // The sending thread started by addSendQueue may log on its own meanwhile.
    Texts clears;
    for (const auto& l : log.texts(0)) if (l.rfind("ClearAll", 0) == 0) clears.push_back(l);
    EXPECT_EQ((Texts{"ClearAll 1", "ClearAll 2", "ClearAll 3", "ClearAll 4"}), clears);
}

}  // namespace
}  // namespace queuetest
