// Packet texts as the send queue stores them: any bytes go to the parsers of
// the four packet classes. A text that parses must write back byte for byte;
// one that does not must leave the packet as it was.
#include <cstddef>
#include <cstdint>
#include <string>

#include "contracts/net/CNetSendASend.h"
#include "contracts/net/CNetSendBSend.h"
#include "contracts/net/CNetTimerSendA.h"
#include "contracts/net/CNetTimerSendB.h"
#include "tests/fuzz/FuzzFields.h"

namespace {

// Members that a failed parse must keep.
template <class Packet>
Packet filled() {
    Packet p;
    p.phones = {"13800138000", "15012345602"};
    p.carrierCodes = {1, 1};
    p.leadingFlags = {1, 0};
    p.encodedNames = {"1MXIvQ==", ""};
    return p;
}

template <class Packet>
void check(const std::string& text) {
    Packet packet = filled<Packet>();
    std::string before, after;
    packet.getPacketT(before);
    const bool parsed = packet.getParseT(text) == 1;
    packet.getPacketT(after);
    if (parsed) {
        fuzz::require(after == text, "a parsed packet text writes back byte for byte");
    } else {
        fuzz::require(after == before, "a refused text leaves the packet as it was");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = fuzz::asString(data, size);
    check<SMS::NET::CNetSendASend>(text);
    check<SMS::NET::CNetSendBSend>(text);
    check<SMS::NET::CNetTimerSendA>(text);
    check<SMS::NET::CNetTimerSendB>(text);
    return 0;
}
