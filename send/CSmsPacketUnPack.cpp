// Reading a stored packet back into its recipients and texts.
#include <utility>

#include "contracts/net/CNetSendASend.h"
#include "contracts/net/CNetSendBSend.h"
#include "contracts/net/CNetTimerSendA.h"
#include "contracts/net/CNetTimerSendB.h"
#include "send/CSmsPacketSendQueue.h"

namespace SMS {
namespace {

// Common-text kinds: the numbers replace `phones`, the one text is appended.
template <class Packet>
int unpackCommon(const Dmg::QueueData& stored, int kind, std::vector<std::string>& phones,
                 std::vector<std::string>& messages, int& type) {
    Packet packet;
    if (packet.getParseT(stored.packetText) == 0) return 0;
    type = kind;
    phones = std::move(packet.phones);
    messages.push_back(std::move(packet.commonText));
    return 1;
}

// Personalised kinds: numbers and texts replace the outputs.
template <class Packet>
int unpackPersonal(const Dmg::QueueData& stored, int kind, std::vector<std::string>& phones,
                   std::vector<std::string>& messages, int& type) {
    Packet packet;
    if (packet.getParseT(stored.packetText) == 0) return 0;
    type = kind;
    phones = std::move(packet.phones);
    messages = std::move(packet.texts);
    return 1;
}

}  // namespace

int CSmsPacketSendQueue::UnPack(const Dmg::QueueData& packet, std::vector<std::string>& phones,
                                std::vector<std::string>& messages, int& type) {
    if (packet.timerFlag != 0) {
        return packet.commonMsg != 0
                   ? unpackCommon<NET::CNetTimerSendA>(packet, kTypeTA, phones, messages, type)
                   : unpackPersonal<NET::CNetTimerSendB>(packet, kTypeTB, phones, messages, type);
    }
    return packet.commonMsg != 0
               ? unpackCommon<NET::CNetSendASend>(packet, kTypeA, phones, messages, type)
               : unpackPersonal<NET::CNetSendBSend>(packet, kTypeB, phones, messages, type);
}

}  // namespace SMS
