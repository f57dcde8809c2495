// Internal helpers of CSmsPacketSendQueue: carrier codes, segment counting
// with the send settings, the packet id, and the grouping of send elements
// into packets, shared by the four kinds of packet.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "contracts/dmg/CSendQueueElement.h"
#include "contracts/dmg/QueueData.h"
#include "contracts/net/CNetSendASend.h"
#include "contracts/net/CNetSendBSend.h"
#include "contracts/net/CNetTimerSendA.h"
#include "contracts/net/CNetTimerSendB.h"
#include "contracts/platform/Time.h"
#include "phone/CPhoneNumMag.h"
#include "send/CSmsSendStartInstance.h"

namespace SMS {
namespace packing {

// Carrier codes of the packet classes; kNoCarrier for a number of no class.
enum Carrier : int { kNoCarrier = 0, kYD = 1, kLT = 2, kDX = 3, kXLT = 4 };
constexpr int kCarrierSlots = 5;

// Asks YD, LT, DX, XLT in that order; the first true answer wins.
int carrierOf(const CPhoneNumMag& numbers, const std::string& phone);

// Segments of a text of `chars` characters per carrier, from the send
// settings' characters per SMS (a value below 1 counts as 1).
class SegmentRule {
public:
    explicit SegmentRule(const CSmsSendStartInstance& settings);
    // 0 for kNoCarrier or an empty text; else chars / n rounded up.
    int count(int carrier, int chars) const;
    // count() for every carrier code at once, for a text shared by all.
    std::array<int, kCarrierSlots> table(int chars) const;

private:
    std::array<std::int32_t, kCarrierSlots> perSms_{};
};

// (rand() % 99 + 1) * (year + month + day + hour + minute + second + salt)
// + rand() % 100, the two rand() calls in that order. 32-bit arithmetic
// that wraps instead of overflowing.
std::int32_t nextPacketId(const Platform::SystemTime& now, std::int32_t salt);

// Year to minute of `now`, the queued time of a packet.
Dmg::CSmsData minutesOf(const Platform::SystemTime& now);

// How the elements of one send are cut into packets.
struct Sizes {
    int lastLeading;  // last index of the leading run, -1 for none
    int first;        // packet size for packets starting within the run
    int normal;       // packet size after it
};
// Sizes below 1 count as 1, so the grouping always advances.
Sizes sizesOf(int lastLeading, std::int32_t first, std::int32_t normal);

// Appends the per-recipient text (personalised kinds only).
inline void addText(NET::CNetSendASend&, const std::string&) {}
inline void addText(NET::CNetTimerSendA&, const std::string&) {}
inline void addText(NET::CNetSendBSend& packet, const std::string& text) {
    packet.texts.push_back(text);
}
inline void addText(NET::CNetTimerSendB& packet, const std::string& text) {
    packet.texts.push_back(text);
}

// The segments of one recipient: the shared table for a common text, else
// the recipient's own text counted.
struct SegmentSource {
    const SegmentRule& rule;
    const std::array<int, kCarrierSlots>* common;  // null: count each text
    int of(int carrier, const std::string& text) const;
};

// The display text of a B packet: a marker and the first recipient's text.
std::string personalDisplayText(const std::string& firstText);

// Cuts `elements` into packets. `proto` and `record` hold what every packet
// of the send shares; `personalDisplay` gives B packets their display text
// from the packet's first recipient. Appends to `packets` and sets
// `segments` to their total.
template <class Packet>
void groupInto(const Packet& proto, const Dmg::QueueData& record, const Sizes& sizes,
               const SegmentSource& segmentsOf, bool personalDisplay,
               const std::vector<Dmg::CSendQueueElement>& elements,
               std::vector<Dmg::QueueData>& packets, int& segments) {
    const CPhoneNumMag& numbers = *CPhoneNumMag::inistance();
    const std::size_t total = elements.size();
    segments = 0;
    std::size_t i = 0;
    while (i < total) {
        const bool inRun = static_cast<long long>(i) <= sizes.lastLeading;
        const std::size_t size = static_cast<std::size_t>(inRun ? sizes.first : sizes.normal);
        Packet packet = proto;
        Dmg::QueueData out = record;
        if (personalDisplay) out.displayText = personalDisplayText(elements[i].message);
        int packetSegments = 0;
        std::size_t taken = 0;
        for (; taken < size && i + taken < total; ++taken) {
            const Dmg::CSendQueueElement& element = elements[i + taken];
            packet.phones.push_back(element.phone);
            packet.leadingFlags.push_back(element.leading ? 1 : 0);
            packet.encodedNames.push_back(element.encodedName);
            out.phoneList += element.phone;
            out.phoneList += ',';
            addText(packet, element.message);
            const int carrier = carrierOf(numbers, element.phone);
            if (carrier != kNoCarrier) packet.carrierCodes.push_back(carrier);
            packetSegments += segmentsOf.of(carrier, element.message);
        }
        out.recipientCount = static_cast<std::int32_t>(taken);
        out.segmentCount = packetSegments;
        packet.getPacketT(out.packetText);
        segments += packetSegments;
        packets.push_back(std::move(out));
        i += size;
    }
}

}  // namespace packing
}  // namespace SMS
