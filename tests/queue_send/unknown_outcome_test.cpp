// A packet whose outcome the gateway could not learn is sent again until the
// service's answer is known, and stays waiting when the thread is stopped.
#include "tests/queue_send/QueueFakes.h"

namespace queuetest {
namespace {

using Code = SMS::NET::CNetSendResultB::Code;
using Calls = std::vector<std::pair<int, int>>;

// Log lines of a packet to be sent again.
int resendLines(const fakes::LogCapture& log) {
    const auto texts = log.texts(2);
    return static_cast<int>(std::count_if(texts.begin(), texts.end(), [](const std::string& t) {
        return t.rfind("发送结果未知", 0) == 0;
    }));
}

// Once unknown, "out of order" settles nothing; a definite answer does. A
// plain "out of order" is a failure as before.
TEST_F(QueueTest, UnknownOutcomeIsSentAgainUntilTheAnswerIsKnown) {
    auto gateway = useGateway({}, -1,
                              {{1, {Code::kOutcomeUnknown, Code::kUnavailable, Code::kAccepted}},
                               {2, {Code::kUnavailable}},
                               {3, {Code::kOutcomeUnknown, Code::kRefusedByRule}}});
    addSendQueue(packets(1, 3));
    ASSERT_TRUE(waitIdle(*service));
    EXPECT_EQ((Calls{{1, 1}, {2, 0}, {3, 0}}), model.statusCalls);
    EXPECT_EQ((std::vector<int>{3, 1, 2}),
              (std::vector<int>{gateway->calls(1), gateway->calls(2), gateway->calls(3)}));
    EXPECT_EQ((Ids{1, 2, 3}), doneIds());
    EXPECT_EQ((std::vector<std::string>{"code 5"}), questions);
    EXPECT_EQ(3, resendLines(log));
    EXPECT_EQ((Ids{1, 2, 3}), sorted(model.history));
}

// Stopped while it waits to send again: no outcome, no report, not held by
// the sender (the queue view may delete it), and stop() does not sit out
// the wait.
TEST_F(QueueTest, StopWhileTheOutcomeIsUnknownLeavesThePacketWaiting) {
    auto gateway = useGateway({}, -1, {{1, {Code::kOutcomeUnknown}}, {2, {Code::kAccepted}}});
    addSendQueue(packets(1, 2));
    ASSERT_TRUE(waitUntil([&] { return resendLines(log) >= 5; }));  // waits up to 3.2 s by now
    EXPECT_LT(timed([&] { service->stop(); }), std::chrono::seconds(5));
    EXPECT_TRUE(model.get(model.statusCalls).empty());
    EXPECT_TRUE(doneIds().empty());
    EXPECT_TRUE(SMS::CSmsSendLoadMag::instance()->unstoredIds().empty());
    EXPECT_EQ(0, gateway->calls(2));
}

}  // namespace
}  // namespace queuetest
