// The four packet classes: each lists its members, in declaration order, to
// the shared codec. Parsing fills a fresh object and copies it in only when
// the whole text was good, so a bad text leaves the packet as it was.
#include "contracts/net/CNetSendASend.h"
#include "contracts/net/CNetSendBSend.h"
#include "contracts/net/CNetTimerSendA.h"
#include "contracts/net/CNetTimerSendB.h"

#include <utility>

#include "PacketCodec.h"

namespace SMS::NET {

using codec::PacketKind;

int CNetSendASend::getPacketT(std::string& text) const {
    codec::encodePacket(text, PacketKind::SendA, packetId, phones, carrierCodes, leadingFlags,
                        encodedNames, commonText);
    return 1;
}

int CNetSendASend::getParseT(const std::string& text) {
    CNetSendASend p;
    if (!codec::decodePacket(text, PacketKind::SendA, p.packetId, p.phones, p.carrierCodes,
                             p.leadingFlags, p.encodedNames, p.commonText)) {
        return 0;
    }
    *this = std::move(p);
    return 1;
}

int CNetSendBSend::getPacketT(std::string& text) const {
    codec::encodePacket(text, PacketKind::SendB, packetId, phones, carrierCodes, leadingFlags,
                        encodedNames, texts);
    return 1;
}

int CNetSendBSend::getParseT(const std::string& text) {
    CNetSendBSend p;
    if (!codec::decodePacket(text, PacketKind::SendB, p.packetId, p.phones, p.carrierCodes,
                             p.leadingFlags, p.encodedNames, p.texts)) {
        return 0;
    }
    *this = std::move(p);
    return 1;
}

int CNetTimerSendA::getPacketT(std::string& text) const {
    codec::encodePacket(text, PacketKind::TimerA, timerId, timerDetail, scheduledYear,
                        scheduledMonth, scheduledDay, scheduledHour, scheduledMinute, phones,
                        carrierCodes, leadingFlags, encodedNames, commonText);
    return 1;
}

int CNetTimerSendA::getParseT(const std::string& text) {
    CNetTimerSendA p;
    if (!codec::decodePacket(text, PacketKind::TimerA, p.timerId, p.timerDetail,
                             p.scheduledYear, p.scheduledMonth, p.scheduledDay,
                             p.scheduledHour, p.scheduledMinute, p.phones, p.carrierCodes,
                             p.leadingFlags, p.encodedNames, p.commonText)) {
        return 0;
    }
    *this = std::move(p);
    return 1;
}

int CNetTimerSendB::getPacketT(std::string& text) const {
    codec::encodePacket(text, PacketKind::TimerB, timerId, timerDetail, scheduledYear,
                        scheduledMonth, scheduledDay, scheduledHour, scheduledMinute, phones,
                        carrierCodes, leadingFlags, encodedNames, texts);
    return 1;
}

int CNetTimerSendB::getParseT(const std::string& text) {
    CNetTimerSendB p;
    if (!codec::decodePacket(text, PacketKind::TimerB, p.timerId, p.timerDetail,
                             p.scheduledYear, p.scheduledMonth, p.scheduledDay,
                             p.scheduledHour, p.scheduledMinute, p.phones, p.carrierCodes,
                             p.leadingFlags, p.encodedNames, p.texts)) {
        return 0;
    }
    *this = std::move(p);
    return 1;
}

}  // namespace SMS::NET
