// Cuts the send elements of one send (one per recipient) into queue packets
// and reads stored packets back.
//
// A send is packed as one of four kinds, chosen by its first element:
//   A  immediate, one text for all     (SMS::NET::CNetSendASend,  type 1)
//   B  immediate, a text per recipient (SMS::NET::CNetSendBSend,  type 2)
//   TA timed, one text for all         (SMS::NET::CNetTimerSendA, type 3)
//   TB timed, a text per recipient     (SMS::NET::CNetTimerSendB, type 4)
// Elements at the start of the list that carry the leading flag go into
// packets of firstPackSize recipients; the rest into packets of packSize
// (immediate) or timedPackSize (timed) recipients. Every packet of one send
// carries the same packet id (and, when timed, the same timer id).
#pragma once

#include <string>
#include <vector>

#include "contracts/dmg/CSendQueueElement.h"
#include "contracts/dmg/QueueData.h"
#include "contracts/export.h"
#include "contracts/platform/Time.h"

namespace SMS {

class SMS_API CSmsPacketSendQueue {
public:
    // Packet kinds as UnPack reports them.
    static constexpr int kTypeA = 1;
    static constexpr int kTypeB = 2;
    static constexpr int kTypeTA = 3;
    static constexpr int kTypeTB = 4;

    CSmsPacketSendQueue();
    CSmsPacketSendQueue(const CSmsPacketSendQueue& other);
    CSmsPacketSendQueue& operator=(const CSmsPacketSendQueue& other);
    virtual ~CSmsPacketSendQueue();

    // Appends the packets of one send to `packets` and sets `segments` to the
    // SMS segments all of them cost. Returns 1; 0 for an empty element list
    // (nothing appended, `segments` 0). Sizes, characters per SMS and the id
    // salt come from CSmsSendStartInstance; a packet size below 1 counts as 1.
    int Pack(const std::vector<Dmg::CSendQueueElement>& elements,
             std::vector<Dmg::QueueData>& packets, int& segments);

    // Parses a stored packet: sets `type` (kTypeA..kTypeTB), replaces
    // `phones` with its numbers, and appends its common text to `messages`
    // (A, TA) or replaces `messages` with the per-recipient texts (B, TB).
    // Returns 1; 0 when the text cannot be parsed (outputs untouched).
    static int UnPack(const Dmg::QueueData& packet, std::vector<std::string>& phones,
                      std::vector<std::string>& messages, int& type);

protected:
    // One packer per kind. `lastLeading` is the index of the last element of
    // the leading run, -1 when there is none. Each returns 1 (0 for an empty
    // element list).
    int PackA(const int& lastLeading, const std::vector<Dmg::CSendQueueElement>& elements,
              std::vector<Dmg::QueueData>& packets, int& segments);
    int PackB(const int& lastLeading, const std::vector<Dmg::CSendQueueElement>& elements,
              std::vector<Dmg::QueueData>& packets, int& segments);
    int PackTA(const int& lastLeading, const std::vector<Dmg::CSendQueueElement>& elements,
               std::vector<Dmg::QueueData>& packets, int& segments);
    int PackTB(const int& lastLeading, const std::vector<Dmg::CSendQueueElement>& elements,
               std::vector<Dmg::QueueData>& packets, int& segments);

    // The local time, read once per packer call for the ids and the queued
    // time. Overridden where a fixed clock is needed.
    virtual Platform::SystemTime localTime() const;
};

}  // namespace SMS
