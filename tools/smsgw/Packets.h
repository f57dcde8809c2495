// A packet text as the simulator sees it before the gateway judges it: its
// kind, its recipients with their texts, and what it costs.
#pragma once

#include <string>
#include <vector>

#include "contracts/dmg/QueueData.h"
#include "contracts/net/CNetLogResult.h"

namespace smsgw {

struct PacketInfo {
    bool readable = false;  // one of the four packet classes reads it
    bool timed = false;
    bool common = true;  // one text for every recipient
    int group = 0;       // timed packets: the timer id that cancels them
    std::vector<std::string> phones;
    std::vector<std::string> texts;  // one per recipient
    std::vector<int> carriers;       // may be shorter than phones
};

PacketInfo readPacket(const std::string& bytes);
// Segments the packet costs: per recipient its text's characters over the
// characters per SMS of its carrier (China Mobile's when it has none), rounded up.
long long segmentsOf(const PacketInfo& packet, const SMS::NET::CNetLogResult& terms);
// The stored form the gateway takes: the text and the two kind flags.
Dmg::QueueData queueDataOf(const std::string& bytes, const PacketInfo& packet);

}  // namespace smsgw
