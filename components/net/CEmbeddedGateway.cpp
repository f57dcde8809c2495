// The embedded simulated SMS service.
#include "contracts/net/CEmbeddedGateway.h"

#include <algorithm>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>

#include "contracts/net/CNetSendASend.h"
#include "contracts/net/CNetSendBSend.h"
#include "contracts/net/CNetTimerSendA.h"
#include "contracts/net/CNetTimerSendB.h"

namespace SMS::NET {

// A packet of any of the four kinds, read into one shape.
struct CEmbeddedGateway::Parsed {
    bool wellFormed = false;
    bool timed = false;
    int packetId = 0;
    CEmbeddedGateway::ScheduledPacket timer;  // phones and texts for every kind
};

namespace {

CNetSendResultB refusal(int code, const char* text) {
    CNetSendResultB result;
    result.code = code;
    result.errorText = text;
    return result;
}

// Fills the timing members shared by both timed packet classes.
template <class TimedPacket>
void takeTiming(const TimedPacket& p, CEmbeddedGateway::ScheduledPacket& out) {
    out.timerId = p.timerId;
    out.timerDetail = p.timerDetail;
    out.year = p.scheduledYear;
    out.month = p.scheduledMonth;
    out.day = p.scheduledDay;
    out.hour = p.scheduledHour;
    out.minute = p.scheduledMinute;
}

// Reads the packet text with the class its flags name; one text per recipient.
template <class Packet>
bool readPacket(const std::string& text, Packet& p, std::vector<std::string>& phones,
                std::vector<std::string>& texts) {
    if (p.getParseT(text) == 0) {
        return false;
    }
    phones = p.phones;
    if constexpr (std::is_same_v<Packet, CNetSendASend> || std::is_same_v<Packet, CNetTimerSendA>) {
        texts.assign(phones.size(), p.commonText);
    } else {
        texts = p.texts;
    }
    // A personalised packet whose texts do not match its recipients, or a
    // packet with nobody in it, cannot be delivered as stated.
    return !phones.empty() && texts.size() == phones.size();
}

// "a,b,c" into its keys; an empty text has none.
std::vector<std::string> splitKeys(const std::string& keys) {
    std::vector<std::string> out;
    if (keys.empty()) return out;
    std::size_t start = 0;
    for (std::size_t comma; (comma = keys.find(',', start)) != std::string::npos;
         start = comma + 1) {
        out.push_back(keys.substr(start, comma - start));
    }
    out.push_back(keys.substr(start));
    return out;
}

// Reads a stored packet by its flags: timed or not, one text or one per recipient.
void parseInto(const Dmg::QueueData& packet, CEmbeddedGateway::ScheduledPacket& out,
                      bool& timed, int& packetId, bool& wellFormed) {
    timed = packet.timerFlag != 0;
    const bool common = packet.commonMsg != 0;
    if (timed && common) {
        CNetTimerSendA p;
        wellFormed = readPacket(packet.packetText, p, out.phones, out.texts);
        takeTiming(p, out);
    } else if (timed) {
        CNetTimerSendB p;
        wellFormed = readPacket(packet.packetText, p, out.phones, out.texts);
        takeTiming(p, out);
    } else if (common) {
        CNetSendASend p;
        wellFormed = readPacket(packet.packetText, p, out.phones, out.texts);
        packetId = p.packetId;
    } else {
        CNetSendBSend p;
        wellFormed = readPacket(packet.packetText, p, out.phones, out.texts);
        packetId = p.packetId;
    }
}

}  // namespace

CEmbeddedGateway::CEmbeddedGateway() = default;
CEmbeddedGateway::~CEmbeddedGateway() = default;

CNetSendResultB CEmbeddedGateway::send(const Dmg::QueueData& packet) {
    std::chrono::milliseconds latency{0};
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        latency = m_latency;
    }
    // Sleep and parse without the lock, so other senders and readers go on.
    if (latency.count() > 0) {
        std::this_thread::sleep_for(latency);
    }
    Parsed parsed;
    parseInto(packet, parsed.timer, parsed.timed, parsed.packetId, parsed.wellFormed);

    const std::lock_guard<std::mutex> lock(m_mutex);
    CNetSendResultB result = judge(parsed);
    if (result.accepted()) {
        ++m_accepted;
        result.serviceKey = keep(parsed);
    } else {
        ++m_refused;
    }
    return result;
}

CNetSendResultB CEmbeddedGateway::judge(const Parsed& parsed) {
    ++m_handedIn;
    if (std::chrono::steady_clock::now() < m_outageEnd) {
        return refusal(CNetSendResultB::kUnavailable, "服务暂不可用");
    }
    if (!parsed.wellFormed) {
        return refusal(CNetSendResultB::kMalformed, "数据包格式错误");
    }
    if (m_refuseEveryNth > 0 && m_handedIn % static_cast<std::uint64_t>(m_refuseEveryNth) == 0) {
        return refusal(CNetSendResultB::kRefusedByRule, "服务拒绝了该数据包");
    }
    if (!m_refusedPrefix.empty()) {
        for (const std::string& phone : parsed.timer.phones) {
            if (phone.compare(0, m_refusedPrefix.size(), m_refusedPrefix) == 0) {
                return refusal(CNetSendResultB::kRefusedNumber, "号码被服务拒收");
            }
        }
    }
    return CNetSendResultB{};
}

std::string CEmbeddedGateway::keep(Parsed& parsed) {
    if (parsed.timed) {
        parsed.timer.key = "TM" + std::to_string(m_nextKey++);
        m_scheduled.push_back(std::move(parsed.timer));
        return m_scheduled.back().key;
    }
    for (std::size_t i = 0; i < parsed.timer.phones.size(); ++i) {
        m_delivered.push_back({parsed.packetId, parsed.timer.phones[i], parsed.timer.texts[i]});
    }
    return {};
}

CNetSendResultB CEmbeddedGateway::DelTimerMsg(int group, const std::string& keys) {
    const std::vector<std::string> named = splitKeys(keys);
    const std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::size_t> found;
    for (const std::string& key : named) {
        std::size_t i = 0;
        while (i < m_scheduled.size() && m_scheduled[i].key != key) ++i;
        const bool repeated = std::find(found.begin(), found.end(), i) != found.end();
        if (key.empty() || i == m_scheduled.size() || m_scheduled[i].timerId != group || repeated) {
            return refusal(CNetSendResultB::kUnknownTimer, "定时信息不存在");
        }
        found.push_back(i);
    }
    if (found.empty()) return refusal(CNetSendResultB::kUnknownTimer, "定时信息不存在");
    // Erase from the back, so the indexes still to go stay valid.
    std::sort(found.rbegin(), found.rend());
    for (const std::size_t i : found) {
        m_scheduled.erase(m_scheduled.begin() + static_cast<std::ptrdiff_t>(i));
    }
    return CNetSendResultB{};
}

CNetLogResult CEmbeddedGateway::login(const std::string& /*user*/, const std::string& /*password*/) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_loginResult;
}

void CEmbeddedGateway::sendFriendInfo(const CNetFriendInfo& info) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_uploaded.push_back(info);
}

void CEmbeddedGateway::setRefuseEveryNth(int n) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_refuseEveryNth = n > 0 ? n : 0;
    m_handedIn = 0;
}

void CEmbeddedGateway::setRefusedPrefix(const std::string& prefix) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_refusedPrefix = prefix;
}

void CEmbeddedGateway::setOutage(std::chrono::milliseconds duration) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_outageEnd = duration.count() > 0 ? std::chrono::steady_clock::now() + duration
                                       : std::chrono::steady_clock::time_point{};
}

void CEmbeddedGateway::setLatency(std::chrono::milliseconds latency) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_latency = latency.count() > 0 ? latency : std::chrono::milliseconds{0};
}

void CEmbeddedGateway::setLoginResult(const CNetLogResult& result) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_loginResult = result;
}

std::vector<CEmbeddedGateway::DeliveredMessage> CEmbeddedGateway::delivered() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_delivered;
}

std::vector<CEmbeddedGateway::ScheduledPacket> CEmbeddedGateway::scheduled() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_scheduled;
}

std::size_t CEmbeddedGateway::deliveredCount() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_delivered.size();
}

std::size_t CEmbeddedGateway::scheduledCount() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_scheduled.size();
}

std::size_t CEmbeddedGateway::acceptedPackets() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_accepted;
}

std::size_t CEmbeddedGateway::refusedPackets() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_refused;
}

std::vector<CNetFriendInfo> CEmbeddedGateway::uploadedContacts() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_uploaded;
}

void CEmbeddedGateway::injectReply(const std::string& phone, const std::string& text,
                                   const Dmg::CSmsData& time) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_replies.push_back({phone, text, time});
}

std::vector<CEmbeddedGateway::IncomingReply> CEmbeddedGateway::takeReplies() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<IncomingReply> taken;
    taken.swap(m_replies);
    return taken;
}

void CEmbeddedGateway::clear() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_replies.clear();
    m_delivered.clear();
    m_uploaded.clear();
    m_scheduled.clear();
    m_accepted = 0;
    m_refused = 0;
    m_handedIn = 0;
}

}  // namespace SMS::NET
