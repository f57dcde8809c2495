#include "send/CSmsPacketSendQueue.h"

#include "send/CSendMsg.h"
#include "send/PacketGrouping.h"

namespace SMS {

using packing::SegmentRule;
using packing::SegmentSource;

namespace {

// Index of the last element of the run of leading elements at the start of
// the list, -1 when the first element is not leading.
int leadingRunEnd(const std::vector<Dmg::CSendQueueElement>& elements) {
    int last = -1;
    while (static_cast<std::size_t>(last + 1) < elements.size() &&
           elements[static_cast<std::size_t>(last + 1)].leading) {
        ++last;
    }
    return last;
}

// What every packet of one send shares, before the recipients go in.
Dmg::QueueData sharedRecord(const Platform::SystemTime& now, bool common, std::int32_t packetId) {
    Dmg::QueueData record;
    record.commonMsg = common ? 1 : 0;
    record.packetId = packetId;
    record.packetMarker = 1;
    record.timerFlag = 0;
    record.queuedTime = packing::minutesOf(now);
    record.skipFlag = 0;
    return record;
}

// The scheduling values of the first element, into the record and the
// packet object of a timed send.
template <class TimedPacket>
void setSchedule(const Dmg::CSendQueueElement& first, std::int32_t timerId, TimedPacket& packet,
                 Dmg::QueueData& record) {
    packet.timerId = timerId;
    packet.timerDetail = first.timerDetail;
    packet.scheduledYear = first.timerData.year;
    packet.scheduledMonth = first.timerData.month;
    packet.scheduledDay = first.timerData.day;
    packet.scheduledHour = first.timerData.hour;
    packet.scheduledMinute = first.timerData.minute;
    record.timerId = timerId;
    record.timerFlag = 1;
    record.timerDetail = first.timerDetail;
    record.timerData = first.timerData;
}

// A packer without elements has no first element to read the send from.
int nothingToPack(int& segments) {
    segments = 0;
    return 0;
}

int commonChars(const std::vector<Dmg::CSendQueueElement>& elements) {
    return CSendMsg().getMsgWord(elements.front().message);
}

}  // namespace

CSmsPacketSendQueue::CSmsPacketSendQueue() = default;
CSmsPacketSendQueue::CSmsPacketSendQueue(const CSmsPacketSendQueue& other) = default;
CSmsPacketSendQueue& CSmsPacketSendQueue::operator=(const CSmsPacketSendQueue& other) = default;
CSmsPacketSendQueue::~CSmsPacketSendQueue() = default;

Platform::SystemTime CSmsPacketSendQueue::localTime() const { return Platform::getLocalTime(); }

int CSmsPacketSendQueue::Pack(const std::vector<Dmg::CSendQueueElement>& elements,
                              std::vector<Dmg::QueueData>& packets, int& segments) {
    // The kind is read from the first element: nothing to pack without one.
    if (elements.empty()) return nothingToPack(segments);
    const int lastLeading = leadingRunEnd(elements);
    const Dmg::CSendQueueElement& first = elements.front();
    if (first.timerFlag != 0) {
        return first.commonMsg ? PackTA(lastLeading, elements, packets, segments)
                               : PackTB(lastLeading, elements, packets, segments);
    }
    return first.commonMsg ? PackA(lastLeading, elements, packets, segments)
                           : PackB(lastLeading, elements, packets, segments);
}

int CSmsPacketSendQueue::PackA(const int& lastLeading,
                               const std::vector<Dmg::CSendQueueElement>& elements,
                               std::vector<Dmg::QueueData>& packets, int& segments) {
    if (elements.empty()) return nothingToPack(segments);
    const CSmsSendStartInstance& settings = *CSmsSendStartInstance::Instance();
    const Platform::SystemTime now = localTime();
    NET::CNetSendASend packet;
    packet.packetId = packing::nextPacketId(now, settings.packetIdSalt);
    packet.commonText = elements.front().message;
    Dmg::QueueData record = sharedRecord(now, true, packet.packetId);
    record.displayText = packet.commonText;
    const SegmentRule rule(settings);
    const auto common = rule.table(commonChars(elements));
    packing::groupInto(packet, record,
                       packing::sizesOf(lastLeading, settings.firstPackSize, settings.packSize),
                       SegmentSource{rule, &common}, false, elements, packets, segments);
    return 1;
}

int CSmsPacketSendQueue::PackB(const int& lastLeading,
                               const std::vector<Dmg::CSendQueueElement>& elements,
                               std::vector<Dmg::QueueData>& packets, int& segments) {
    if (elements.empty()) return nothingToPack(segments);
    const CSmsSendStartInstance& settings = *CSmsSendStartInstance::Instance();
    const Platform::SystemTime now = localTime();
    NET::CNetSendBSend packet;
    packet.packetId = packing::nextPacketId(now, settings.packetIdSalt);
    const Dmg::QueueData record = sharedRecord(now, false, packet.packetId);
    const SegmentRule rule(settings);
    packing::groupInto(packet, record,
                       packing::sizesOf(lastLeading, settings.firstPackSize, settings.packSize),
                       SegmentSource{rule, nullptr}, true, elements, packets, segments);
    return 1;
}

int CSmsPacketSendQueue::PackTA(const int& lastLeading,
                                const std::vector<Dmg::CSendQueueElement>& elements,
                                std::vector<Dmg::QueueData>& packets, int& segments) {
    if (elements.empty()) return nothingToPack(segments);
    const CSmsSendStartInstance& settings = *CSmsSendStartInstance::Instance();
    const Platform::SystemTime now = localTime();
    const std::int32_t packetId = packing::nextPacketId(now, settings.packetIdSalt);
    const std::int32_t timerId = packing::nextPacketId(now, settings.packetIdSalt);
    NET::CNetTimerSendA packet;
    packet.commonText = elements.front().message;
    Dmg::QueueData record = sharedRecord(now, true, packetId);
    record.displayText = packet.commonText;
    setSchedule(elements.front(), timerId, packet, record);
    const SegmentRule rule(settings);
    const auto common = rule.table(commonChars(elements));
    packing::groupInto(
        packet, record,
        packing::sizesOf(lastLeading, settings.firstPackSize, settings.timedPackSize),
        SegmentSource{rule, &common}, false, elements, packets, segments);
    return 1;
}

int CSmsPacketSendQueue::PackTB(const int& lastLeading,
                                const std::vector<Dmg::CSendQueueElement>& elements,
                                std::vector<Dmg::QueueData>& packets, int& segments) {
    if (elements.empty()) return nothingToPack(segments);
    const CSmsSendStartInstance& settings = *CSmsSendStartInstance::Instance();
    const Platform::SystemTime now = localTime();
    const std::int32_t packetId = packing::nextPacketId(now, settings.packetIdSalt);
    const std::int32_t timerId = packing::nextPacketId(now, settings.packetIdSalt);
    NET::CNetTimerSendB packet;
    Dmg::QueueData record = sharedRecord(now, false, packetId);
    setSchedule(elements.front(), timerId, packet, record);
    const SegmentRule rule(settings);
    packing::groupInto(
        packet, record,
        packing::sizesOf(lastLeading, settings.firstPackSize, settings.timedPackSize),
        SegmentSource{rule, nullptr}, false, elements, packets, segments);
    return 1;
}

}  // namespace SMS
