// An in-process simulated SMS service, so the whole system runs offline. It
// reads each packet with its packet class, keeps what it accepted (immediate
// messages as delivered, timed packets as scheduled under a key of its own),
// keeps uploaded contacts, holds replies that phones send back until they are
// fetched, and refuses by rules that tests and the command-line
// client set at any time.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "contracts/dmg/CSmsData.h"
#include "contracts/dmg/QueueData.h"
#include "contracts/export.h"
#include "contracts/net/CNetFriendInfo.h"
#include "contracts/net/CNetLogResult.h"
#include "contracts/net/CNetSendResultB.h"
#include "contracts/net/IGateway.h"

namespace SMS::NET {

class NET_API CEmbeddedGateway : public IGateway {
public:
    // One message of an accepted immediate packet, per recipient.
    struct DeliveredMessage {
        int packetId = 0;
        std::string phone;
        std::string text;
    };

    // One accepted timed packet.
    struct ScheduledPacket {
        std::string key;  // the service's key of this packet, unique per gateway
        int timerId = 0;
        int timerDetail = 0;
        int year = 0, month = 0, day = 0, hour = 0, minute = 0;
        std::vector<std::string> phones;
        std::vector<std::string> texts;  // one per recipient
    };

    // A reply a phone sent to the service.
    struct IncomingReply {
        std::string phone;
        std::string text;
        Dmg::CSmsData time;  // of arrival; unset: the receiver stamps it
    };

    CEmbeddedGateway();
    ~CEmbeddedGateway() override;

    CNetSendResultB send(const Dmg::QueueData& packet) override;
    CNetLogResult login(const std::string& user, const std::string& password) override;
    void sendFriendInfo(const CNetFriendInfo& info) override;
    // Drops the named scheduled packets of group `group` (their timer id), all
    // or none: an empty, unknown or repeated key, or a key of another group,
    // refuses the request.
    CNetSendResultB DelTimerMsg(int group, const std::string& keys) override;

    // Rules. Refuse every n-th packet handed in (0 = never; restarts the count).
    void setRefuseEveryNth(int n);
    // Refuse any packet with a number starting with `prefix` (empty = none).
    void setRefusedPrefix(const std::string& prefix);
    // Refuse everything for `duration` from now (0 ends an outage).
    void setOutage(std::chrono::milliseconds duration);
    // Time each packet takes before the answer.
    void setLatency(std::chrono::milliseconds latency);
    // The terms login() returns.
    void setLoginResult(const CNetLogResult& result);

    // What the service took, as copies.
    std::vector<DeliveredMessage> delivered() const;
    std::vector<ScheduledPacket> scheduled() const;
    std::size_t deliveredCount() const;
    std::size_t scheduledCount() const;
    std::size_t acceptedPackets() const;
    std::size_t refusedPackets() const;
    // Uploaded contacts, in the order they came.
    std::vector<CNetFriendInfo> uploadedContacts() const;
    // Replies: a phone answers (tests, the command-line client); the client
    // fetches them, oldest first, and they leave the gateway.
    void injectReply(const std::string& phone, const std::string& text, const Dmg::CSmsData& time);
    std::vector<IncomingReply> takeReplies();
    // Forgets what was taken, the waiting replies and the packet counts; the
    // rules stay.
    void clear();

    // Keeps the scheduled packets and the key counter in the text file at
    // `path`, so they outlive the process: loads them now (a missing file is
    // an empty service) and rewrites the file whole (temporary file, then
    // rename) after every change to them. A damaged file gives false and a
    // log line, and the service starts empty; a failed write is logged and
    // the service goes on. An empty path stops keeping them.
    bool setStateFile(const std::string& path);

private:
    struct Parsed;
    // Both run with m_mutex held.
    CNetSendResultB judge(const Parsed& parsed);
    // The key of the packet kept, empty for an immediate packet.
    std::string keep(Parsed& parsed);
    // Writes m_scheduled and m_nextKey to m_stateFile, if one is set.
    void saveState() const;

    // Every member below: set and read by any caller's thread, under m_mutex.
    mutable std::mutex m_mutex;
    int m_refuseEveryNth = 0;
    std::uint64_t m_handedIn = 0;  // packets counted for the every-n-th rule
    std::string m_refusedPrefix;
    std::chrono::steady_clock::time_point m_outageEnd{};
    std::chrono::milliseconds m_latency{0};
    CNetLogResult m_loginResult;
    std::vector<DeliveredMessage> m_delivered;
    std::vector<ScheduledPacket> m_scheduled;
    std::vector<CNetFriendInfo> m_uploaded;
    std::vector<IncomingReply> m_replies;  // injected, not yet taken
    std::size_t m_accepted = 0;
    std::size_t m_refused = 0;
    std::uint64_t m_nextKey = 1;
    std::string m_stateFile;  // empty: nothing kept on disk
};

}  // namespace SMS::NET
