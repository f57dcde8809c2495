#include "Packets.h"

#include <type_traits>

#include "Texts.h"
#include "contracts/net/CNetSendASend.h"
#include "contracts/net/CNetSendBSend.h"
#include "contracts/net/CNetTimerSendA.h"
#include "contracts/net/CNetTimerSendB.h"

namespace smsgw {

namespace {

template <class Packet>
bool tryRead(const std::string& bytes, bool timed, PacketInfo& out) {
    Packet p;
    if (p.getParseT(bytes) == 0) return false;
    out.readable = true;
    out.timed = timed;
    out.phones = p.phones;
    out.carriers = p.carrierCodes;
    if constexpr (std::is_same_v<Packet, SMS::NET::CNetSendASend> ||
                  std::is_same_v<Packet, SMS::NET::CNetTimerSendA>) {
        out.common = true;
        out.texts.assign(p.phones.size(), p.commonText);
    } else {
        out.common = false;
        out.texts = p.texts;
    }
    if constexpr (std::is_same_v<Packet, SMS::NET::CNetTimerSendA> ||
                  std::is_same_v<Packet, SMS::NET::CNetTimerSendB>) {
        out.group = p.timerId;
    }
    return true;
}

}  // namespace

PacketInfo readPacket(const std::string& bytes) {
    PacketInfo info;
    tryRead<SMS::NET::CNetSendASend>(bytes, false, info) ||
        tryRead<SMS::NET::CNetSendBSend>(bytes, false, info) ||
        tryRead<SMS::NET::CNetTimerSendA>(bytes, true, info) ||
        tryRead<SMS::NET::CNetTimerSendB>(bytes, true, info);
    return info;
}

long long segmentsOf(const PacketInfo& packet, const SMS::NET::CNetLogResult& terms) {
    long long total = 0;
    for (std::size_t i = 0; i < packet.phones.size() && i < packet.texts.size(); ++i) {
        const int carrier = i < packet.carriers.size() ? packet.carriers[i] : 1;
        const std::int32_t perSms = carrier == 2   ? terms.unicomCharsPerSms
                                    : carrier == 3 ? terms.telecomCharsPerSms
                                    : carrier == 4 ? terms.phsCharsPerSms
                                                   : terms.mobileCharsPerSms;
        const long long chars = static_cast<long long>(gbkCharCount(packet.texts[i]));
        const long long per = perSms < 1 ? 1 : perSms;
        total += (chars + per - 1) / per;
    }
    return total;
}

Dmg::QueueData queueDataOf(const std::string& bytes, const PacketInfo& packet) {
    Dmg::QueueData q;
    q.packetText = bytes;
    q.timerFlag = packet.timed ? 1 : 0;
    q.commonMsg = packet.common ? 1 : 0;
    return q;
}

}  // namespace smsgw
