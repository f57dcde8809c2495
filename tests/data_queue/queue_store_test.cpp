#include <gmock/gmock.h>

#include <algorithm>
#include <climits>
#include <ctime>
#include <functional>
#include <tuple>

#include "components/data/stores/HistoryRead.h"
#include "tests/data_queue/QueueTestKit.h"
#include "tests/fakes/LogCapture.h"

namespace {

using qtest::kPassword;
using Labels = std::vector<std::string>;

auto fields(const Dmg::QueueData& p) {
    return std::tie(p.packetText, p.extra, p.commonMsg, p.packetId, p.timerId, p.displayText,
                    p.packetMarker, p.recipientCount, p.segmentCount, p.timerFlag, p.timerDetail,
                    p.recordId, p.state, p.timerData, p.phoneList, p.queuedTime, p.skipFlag,
                    p.packetCount, p.rejected);
}

// A failed write stores nothing: tests/faults, under every fault.
TEST(SendQueue, EveryFieldRoundTrips) {
    const qtest::Files f;
    std::vector<Dmg::QueueData> packets(2);  // the second all defaults
    auto& p = packets[0];                    // every field distinct; bytes of all kinds
    std::tie(p.commonMsg, p.packetId, p.timerId, p.packetMarker, p.recipientCount, p.segmentCount,
             p.timerFlag, p.timerDetail, p.skipFlag, p.packetCount, p.rejected, p.recordId,
             p.state) = std::make_tuple(1, INT_MIN, INT_MAX, 2, 3, 4, 5, -6, 7, 8, 9, 777, 1);
    p.packetText = std::string("'\"; DROP TABLE send_queue;--\0\xff\x81", 31);
    p.extra = std::string("\0\0", 2);
    p.displayText = "[个性短信]=例句=";
    p.phoneList = "13800138000,\x80\xfe,";
    p.timerData = {2025, 12, 31, 23, 59};
    p.queuedTime = {-1, 0, INT_MAX, 10, -7};
    Dmg::CSendQueueSerialize q;
    std::vector<int> ids = {-5};
    std::vector<Dmg::QueueData> loaded(1);
    ASSERT_TRUE(q.initialize(f.squ, kPassword) == 1 && q.writeQueue(packets, ids) == 1);
    ASSERT_TRUE(q.loadAllQueue(loaded) == 1 && ids.size() == 3 && loaded.size() == 3);
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        Dmg::QueueData expected = packets[i];
        expected.recordId = ids[i + 1];  // record id and state are the store's
        expected.state = Dmg::QueueData::kWaiting;
        EXPECT_TRUE(fields(loaded[i + 1]) == fields(expected));
    }
}

TEST(SendQueue, StatusOutcomesAndDeletion) {
    const qtest::Files f;
    std::vector<Dmg::QueueData> packets;
    for (const char* l : {"a", "b", "c", "d", "e"}) packets.push_back(qtest::packet(l));
    const auto ids = qtest::enqueue(f, packets);
    Dmg::CSendQueueSerialize q;
    ASSERT_EQ(q.initialize(f.squ, kPassword), 1);
    const int statuses[] = {1, 0, 2, -1};  // 1 accepted (H after a pass), else failed (h)
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(q.modifyStatus(ids[i], statuses[i]), 1);
    EXPECT_EQ(q.modifyStatus(ids.back() + 1, 1), 0);  // unknown id
    // Only waiting packets are deleted: a packet already sent goes to the
    // history, and the log says why it stayed.
    fakes::LogCapture log;
    EXPECT_EQ(q.delQueue({ids[1], 9999, ids[4]}), 1);
    EXPECT_THAT(log.texts(2), testing::ElementsAre(testing::HasSubstr(
                                  "packet " + std::to_string(ids[1]) + " was already sent")));
    EXPECT_EQ(qtest::where(f), "a:q b:q c:q d:q ");
    ASSERT_TRUE(qtest::pass(f));
    EXPECT_EQ(qtest::where(f), "a:H b:h c:h d:h ");
}

TEST(Stores, FailuresAreZeroWithALogLine) {
    const qtest::Files f;
    Dmg::CSendQueueSerialize q;
    Dmg::CLogSendQueueSerialize m;
    Dmg::CHistoryLogSerialize h;
    std::vector<Dmg::QueueData> packets;
    std::vector<Dmg::CHistoryMsg> rows;
    std::vector<int> ids;
    // Files that cannot be opened: the engine test's.
    const std::function<int()> calls[] = {  // before initialize
        [&] { return q.writeQueue({Dmg::QueueData()}, ids); }, [&] { return q.modifyStatus(1, 1); },
        [&] { return q.loadAllQueue(packets); }, [&] { return q.delQueue({1}); },
        [&] { return m.getAllSendData(packets, ids); }, [&] { return m.writeLog({}); },
        [&] { return m.deleteSendData({}); }, [&] { return h.getAllLog(rows); },
        [&] { return h.getNewLog(rows); }, [&] { return h.select(1, 2, rows); },
        [&] { return h.select({}, {}, true, "", rows); }, [&] { return h.delLog(1); },
        // The queue alone lets the mover read, not move.
        [&] { return m.initializeSendQueueDB(f.squ, kPassword) == 1 ? m.writeLog({}) : 1; },
        [&] { return m.deleteSendData({}); }};
    qtest::enqueue(f, {qtest::packet("p")});
    for (std::size_t i = 0; i < std::size(calls); ++i) {
        SCOPED_TRACE(i);
        fakes::LogCapture log;
        EXPECT_EQ(calls[i](), 0);
        EXPECT_FALSE(log.texts(2).empty());
    }
    EXPECT_TRUE(packets.empty() && rows.empty() && ids.empty());
}

// A history of moved packets (label, queued time, accepted), written in this
// order, so that record numbers do not follow time.
struct History {
    explicit History(const std::vector<std::tuple<std::string, Dmg::CSmsData, int>>& rows) {
        std::vector<Dmg::QueueData> packets;
        for (const auto& r : rows) packets.push_back(qtest::packet(std::get<0>(r), std::get<1>(r)));
        const auto ids = qtest::enqueue(f, packets);
        for (std::size_t i = 0; i < ids.size(); ++i) qtest::mark(f, ids[i], std::get<2>(rows[i]));
        EXPECT_TRUE(qtest::pass(f) && store.initialize(f.hlog, kPassword) == 1);
    }
    static Labels labels(const std::vector<Dmg::CHistoryMsg>& rows) {
        Labels out;
        for (const auto& r : rows) out.push_back(r.firstText);
        return out;
    }
    qtest::Files f;
    Dmg::CHistoryLogSerialize store;
};

TEST(History, SearchByTimeOutcomeAndText) {
    History h({{"中文", {2024, 1, 2, 9, 30}, 0}, {"invoice", {2024, 1, 2, 9, 31}, 1},
               {"合同", {2024, 1, 1, 8, 0}, 1}, {"\x81\x40 sign", {2024, 2, 1, 0, 0}, 1}});
    const Dmg::CSmsData open;
    const struct {
        const char* name;
        Dmg::CSmsData from, to;
        bool ok;
        std::string key;
        Labels expected;
    } cases[] = {
        {"all accepted", open, open, true, "", {"合同", "invoice", "\x81\x40 sign"}},
        {"start inclusive", {2024, 1, 2, 9, 30}, {2024, 1, 2, 9, 31}, false, "", {"中文"}},
        {"end inclusive", open, {2024, 1, 2, 9, 31}, true, "", {"合同", "invoice"}},
        {"open end", {2024, 1, 2, 9, 31}, open, true, "", {"invoice", "\x81\x40 sign"}},
        {"reversed range", {2024, 2, 1, 0, 0}, {2024, 1, 1, 0, 0}, true, "", {}},
        {"key in first text", open, open, false, "文", {"中文"}},
        {"key across two characters", open, open, false, "形", {}},
        {"key of half a character", open, open, false, "\xd6", {}},
        {"key in a trail byte", open, open, true, "@", {}},
        {"key in second text", open, open, false, "0013", {"中文"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Dmg::CHistoryMsg> out;
        ASSERT_EQ(h.store.select(c.from, c.to, c.ok, c.key, out), 1);
        EXPECT_EQ(History::labels(out), c.expected);
    }
}

Dmg::CSmsData hoursAgo(int hours) {
    const std::time_t t = std::time(nullptr) - static_cast<std::time_t>(hours) * 3600;
    const std::tm tm = *std::localtime(&t);  // one thread here
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min};
}

TEST(History, ListingNewRowsNumbersAndDeletion) {
    // A packet queued without a time is listed at the time of its move.
    History h({{"now", hoursAgo(0), 1}, {"8 days", hoursAgo(8 * 24), 1},
               {"6 days", hoursAgo(6 * 24), 0}, {"7 days 3h", hoursAgo(7 * 24 + 3), 1},
               {"unset", {}, 0}});
    std::vector<Dmg::CHistoryMsg> all(1), fresh, numbered, left;
    ASSERT_TRUE(h.store.getAllLog(all) == 1 && h.store.getNewLog(fresh) == 1);
    EXPECT_EQ(History::labels(all),
              (Labels{"", "8 days", "7 days 3h", "6 days", "now", "unset"}));
    EXPECT_EQ(History::labels(fresh), (Labels{"6 days", "now", "unset"}));
    const int second = all[1].number;  // "8 days", the second row written
    ASSERT_TRUE(h.store.select(second - 1, second, numbered) == 1 &&
                h.store.select(second + 1, second, numbered) == 1);
    EXPECT_EQ(History::labels(numbered), (Labels{"now", "8 days"}));
    EXPECT_TRUE(h.store.delLog(second) == 1 && h.store.delLog(second) == 0);
    ASSERT_EQ(h.store.getAllLog(left), 1);
    EXPECT_EQ(History::labels(left), (Labels{"7 days 3h", "6 days", "now", "unset"}));
}

// A large history is read in two halves, the upper one by a helper thread.
// Rows deleted and added between the two reads must not shift a row from one
// half to the other: each row is listed once, whichever half saw the change.
TEST(History, HalvesReadApartListEachRowOnce) {
    History h({});
    const auto add = [&](int number) {
        const std::string n = std::to_string(number);
        return "INSERT INTO history (number, origin, queue_id, year, month, day, hour, minute, "
               "first_text, success, second_text) VALUES (" + n + ", 'o', " + n +
               ", 2024, 1, 1, 0, 0, '" + n + "', 1, '')";
    };
    for (int number : {1, 2, 50000, 50001, 60000, 100000}) {
        ASSERT_TRUE(qtest::rawExec(h.f.hlog, add(number)));
    }
    Dmg::historyread::setUpperHalfHook([&] {
        EXPECT_TRUE(qtest::rawExec(h.f.hlog, "DELETE FROM history WHERE number IN (2, 60000)"));
        EXPECT_TRUE(qtest::rawExec(h.f.hlog, add(100001)));
    });
    std::vector<Dmg::CHistoryMsg> rows;
    const int read = h.store.getAllLog(rows);
    Dmg::historyread::setUpperHalfHook(nullptr);
    ASSERT_EQ(read, 1);
    Labels labels = History::labels(rows);
    // The lower half may have been read before or after row 2 went.
    labels.erase(std::remove(labels.begin(), labels.end(), "2"), labels.end());
    EXPECT_EQ(labels, (Labels{"1", "50000", "50001", "100000", "100001"}));
}

}  // namespace
