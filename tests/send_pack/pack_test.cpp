#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "contracts/net/CNetTimerSendB.h"
#include "phone/CPhoneNumMag.h"
#include "send/CSmsPacketSendQueue.h"
#include "send/CSmsSendStartInstance.h"

namespace {

using Element = Dmg::CSendQueueElement;
using Packets = std::vector<Dmg::QueueData>;

// A packer on a fixed clock, with the kind-specific packers reachable.
struct FixedClockPacker : SMS::CSmsPacketSendQueue {
    Platform::SystemTime now{2024, 3, 6, 9, 14, 5, 30, 0};  // day of week 6
    using CSmsPacketSendQueue::PackA;
    Platform::SystemTime localTime() const override { return now; }
};

enum Kind { kA, kB, kTA, kTB };

// China Mobile numbers (prefix 138), distinct per index.
std::string mobile(int i) { return "1380000" + std::to_string(1000 + i); }

std::vector<Element> send(Kind kind, int count, int flagged = 0) {
    std::vector<Element> elements(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        Element& e = elements[static_cast<std::size_t>(i)];
        e.phone = mobile(i), e.leading = i < flagged, e.encodedName = i % 2 ? "5byg5LiJ" : "";
        e.commonMsg = kind == kA || kind == kTA;
        e.message = e.commonMsg ? "同一句" : "第" + std::to_string(i) + "句";
        e.timerFlag = kind == kTA || kind == kTB, e.timerDetail = 3;
        e.timerData = Dmg::CSmsData(2024, 4, 1, 8, 30);
    }
    return elements;
}

struct PackTest : ::testing::Test {
    void SetUp() override { SMS::CPhoneNumMag::inistance()->Init({"138"}, {"130"}, {"133"}); }
    void TearDown() override { settings = saved_; }

    // The packets of one send; `segments` gets their total.
    Packets pack(const std::vector<Element>& elements) {
        Packets packets;
        EXPECT_EQ(packer.Pack(elements, packets, segments), 1);
        return packets;
    }

    SMS::CSmsSendStartInstance& settings = *SMS::CSmsSendStartInstance::Instance();
    const SMS::CSmsSendStartInstance saved_ = settings;
    FixedClockPacker packer;
    int segments = -1;
};

TEST_F(PackTest, GroupsTheLeadingRunIntoFirstSizedPackets) {
    const struct {
        const char* name;
        Kind kind;
        int count, flagged, firstSize, size, timedSize;
        std::vector<int> expected;
    } cases[] = {
        {"no run", kA, 150, 0, 1, 70, 9, {70, 70, 10}},
        {"three flagged", kA, 150, 3, 1, 70, 9, {1, 1, 1, 70, 70, 7}},
        {"first packet runs past the run", kB, 150, 1, 5, 70, 9, {5, 70, 70, 5}},
        {"timed size", kTA, 7, 0, 1, 9, 3, {3, 3, 1}},
        {"sizes below 1 count as 1", kTB, 4, 2, -2, 9, 0, {1, 1, 1, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        settings.firstPackSize = c.firstSize, settings.packSize = c.size;
        settings.timedPackSize = c.timedSize;
        const std::vector<Element> elements = send(c.kind, c.count, c.flagged);
        std::vector<int> counts;
        std::string phones, expected;
        for (const auto& p : pack(elements)) {
            counts.push_back(p.recipientCount), phones += p.phoneList;
        }
        for (const auto& e : elements) expected += e.phone + ",";
        EXPECT_EQ(counts, c.expected);
        EXPECT_EQ(phones, expected);
    }
    // Regression: an empty send read a first element that is not there.
    Packets packets(2);
    EXPECT_EQ(packer.Pack({}, packets, segments) + packer.PackA(-1, {}, packets, segments), 0);
    EXPECT_EQ(packets.size() * 10 + segments, 20u);
}

// The id formula on 32 bits: (r1 % 99 + 1) * (time sum + salt) + r2 % 100.
std::int32_t expectedId(std::int32_t salt) {
    const std::int64_t factor = std::rand() % 99 + 1;
    const std::int64_t sum = 2024 + 3 + 9 + 14 + 5 + 30 + std::int64_t{salt};
    const std::int64_t offset = std::rand() % 100;
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>((factor * sum + offset) & 0xffffffff));
}

// One packet id per send (and one timer id per timed send), the fields of
// each kind, and UnPack reading them back.
TEST_F(PackTest, IdsAndFieldsPerKindAndUnPackReadsThemBack) {
    const struct {
        Kind kind;
        std::int32_t salt;
        // type, common, timer flag and detail, display text
        std::tuple<int, int, int, int, std::string> fields;
        std::vector<std::string> messages;
    } cases[] = {
        {kA, 0, {1, 1, 0, 0, "同一句"}, {"旧", "同一句"}},
        {kB, 777, {2, 0, 0, 0, "[个性短信]=例句=第0句"}, {"第0句", "第1句"}},
        {kTA, 0x7fff0000, {3, 1, 1, 3, "同一句"}, {"旧", "同一句"}},  // the sum wraps
        {kTB, 777, {4, 0, 1, 3, ""}, {"第0句", "第1句"}},
    };
    settings.packSize = settings.timedPackSize = 2;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        settings.packetIdSalt = c.salt;
        std::srand(99);
        const std::int32_t id = expectedId(c.salt);
        const std::int32_t timerId = c.kind == kTA || c.kind == kTB ? expectedId(c.salt) : 0;
        const int next = std::rand();
        std::srand(99);
        const Packets packets = pack(send(c.kind, 5));
        EXPECT_EQ(std::rand(), next);  // no more draws than the formula takes
        ASSERT_EQ(packets.size(), 3u);
        for (const auto& p : packets) {
            EXPECT_EQ(std::tie(p.packetId, p.timerId), std::tie(id, timerId));
        }
        const Dmg::QueueData& p = packets.front();
        std::vector<std::string> phones{"x"}, messages{"旧"};
        int type = 0;
        ASSERT_EQ(SMS::CSmsPacketSendQueue::UnPack(p, phones, messages, type), 1);
        EXPECT_EQ(std::tie(type, p.commonMsg, p.timerFlag, p.timerDetail, p.displayText), c.fields);
        EXPECT_EQ(std::make_tuple(p.packetMarker, p.skipFlag, p.phoneList),
                  std::make_tuple(1, 0, mobile(0) + "," + mobile(1) + ","));
        EXPECT_EQ(p.timerData, p.timerFlag ? Dmg::CSmsData(2024, 4, 1, 8, 30) : Dmg::CSmsData());
        EXPECT_EQ(p.queuedTime, Dmg::CSmsData(2024, 3, 9, 14, 5));
        EXPECT_EQ(phones, (std::vector<std::string>{mobile(0), mobile(1)}));
        EXPECT_EQ(messages, c.messages);
        Dmg::QueueData broken = p;  // a malformed text leaves every output alone
        broken.packetText = "garbage", type = 0;
        EXPECT_EQ(SMS::CSmsPacketSendQueue::UnPack(broken, phones, messages, type), 0);
        EXPECT_EQ(std::tie(type, messages), std::make_tuple(0, c.messages));
    }
}

TEST_F(PackTest, PacketObjectsAndSegments) {
    // China Mobile (leading), Unicom, no class (no carrier code, no segments),
    // Telecom and a landline, each with its own characters per SMS.
    const std::vector<std::string> phones = {mobile(0), "13012345678", "15012345678",
                                             "13312345678", "01012345678"};
    std::vector<Element> elements = send(kTB, 5, 1);
    for (std::size_t i = 0; i < phones.size(); ++i) elements[i].phone = phones[i];
    elements[4].message = "a";
    settings.mobileCharsPerSms = 2, settings.unicomCharsPerSms = settings.phsCharsPerSms = 1;
    settings.telecomCharsPerSms = 3, settings.firstPackSize = settings.timedPackSize = 300;
    Packets packets = pack(elements);
    ASSERT_EQ(packets.size(), 1u);
    SMS::NET::CNetTimerSendB parsed;
    ASSERT_EQ(parsed.getParseT(packets[0].packetText), 1);
    EXPECT_EQ(parsed.phones, phones);
    EXPECT_EQ(parsed.carrierCodes, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(parsed.leadingFlags, (std::vector<int>{1, 0, 0, 0, 0}));
    EXPECT_EQ(parsed.encodedNames, (std::vector<std::string>{"", "5byg5LiJ", "", "5byg5LiJ", ""}));
    EXPECT_EQ(std::make_tuple(parsed.timerId, parsed.timerDetail, parsed.scheduledMinute),
              std::make_tuple(packets[0].timerId, 3, 30));
    // "第n句" is 3 characters: 2 segments at 2 per SMS, 3 at 1, 0, 1 at 3; "a" 1.
    EXPECT_EQ(std::make_pair(packets[0].segmentCount, segments), std::make_pair(7, 7));
    // A common text is counted once: 10 recipients of 71 characters at 70 per SMS.
    settings.mobileCharsPerSms = settings.packSize = 70;
    elements = send(kA, 10);
    for (auto& e : elements) e.message = std::string(71, 'a');
    packets = pack(elements);
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(std::make_pair(packets[0].segmentCount, segments), std::make_pair(20, 20));
}

}  // namespace
