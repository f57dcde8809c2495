// The embedded simulated SMS service.
#include "contracts/net/CEmbeddedGateway.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>
#include <type_traits>
#include <utility>

#include "components/net/TimerKeys.h"
#include "contracts/base/CLog.h"
#include "contracts/net/CNetSendASend.h"
#include "contracts/net/CNetSendBSend.h"
#include "contracts/net/CNetTimerSendA.h"
#include "contracts/net/CNetTimerSendB.h"
#include "contracts/platform/FilePath.h"

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


// The state file: a header, the key counter, then per scheduled packet one
// "packet" line and one "to" line per recipient, and a closing count, so a
// cut-off file is seen. Texts are hex, since they are GBK and may hold
// blanks or line breaks; "-" stands for an empty one.
constexpr const char* kStateHeader = "embedded-gateway-state 1";

std::string toHex(const std::string& bytes) {
    if (bytes.empty()) return "-";
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (const unsigned char c : bytes) out += digits[c >> 4], out += digits[c & 15];
    return out;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool fromHex(const std::string& hex, std::string& out) {
    out.clear();
    if (hex == "-") return true;
    if (hex.empty() || hex.size() % 2 != 0) return false;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = hexDigit(hex[i]), low = hexDigit(hex[i + 1]);
        if (high < 0 || low < 0) return false;
        out += static_cast<char>(high * 16 + low);
    }
    return true;
}

// Reads the next line of `in` as exactly the word `first`, then `fields`.
template <class... Fields>
bool readLine(std::istream& in, const char* first, Fields&... fields) {
    std::string line, word, extra;
    if (!std::getline(in, line)) return false;
    std::istringstream words(line);
    return (words >> word) && word == first && (words >> ... >> fields) && !(words >> extra);
}

std::string writeState(const std::vector<CEmbeddedGateway::ScheduledPacket>& packets,
                       std::uint64_t nextKey) {
    std::ostringstream out;
    out << kStateHeader << "\nnext " << nextKey << '\n';
    for (const auto& p : packets) {
        out << "packet " << toHex(p.key) << ' ' << p.timerId << ' ' << p.timerDetail << ' '
            << p.year << ' ' << p.month << ' ' << p.day << ' ' << p.hour << ' ' << p.minute
            << ' ' << p.phones.size() << '\n';
        for (std::size_t i = 0; i < p.phones.size(); ++i) {
            out << "to " << toHex(p.phones[i]) << ' ' << toHex(p.texts[i]) << '\n';
        }
    }
    out << "end " << packets.size() << '\n';
    return out.str();
}

// A key the counter could hand out again: it would make cancellations ambiguous.
bool counterWouldRepeat(const std::string& key, std::uint64_t nextKey) {
    if (key.rfind("TM", 0) != 0 || key.size() < 3 || key.size() > 20) return false;
    const std::string digits = key.substr(2);
    return digits.find_first_not_of("0123456789") == std::string::npos &&
           std::stoull(digits) >= nextKey;
}

bool readPacket(std::istream& in, const std::vector<CEmbeddedGateway::ScheduledPacket>& earlier,
                std::uint64_t nextKey, CEmbeddedGateway::ScheduledPacket& p) {
    std::string key;
    std::size_t count = 0;
    if (!readLine(in, "packet", key, p.timerId, p.timerDetail, p.year, p.month, p.day, p.hour,
                  p.minute, count) ||
        !fromHex(key, p.key) || p.key.empty() || count == 0 || count > 1000000 ||
        counterWouldRepeat(p.key, nextKey)) {
        return false;
    }
    for (const auto& e : earlier) {
        if (e.key == p.key) return false;
    }
    p.phones.resize(count), p.texts.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::string phone, text;
        if (!readLine(in, "to", phone, text) || !fromHex(phone, p.phones[i]) ||
            !fromHex(text, p.texts[i])) {
            return false;
        }
    }
    return true;
}

// False for anything but a whole, well-formed file with unique keys.
bool readState(std::istream& in, std::vector<CEmbeddedGateway::ScheduledPacket>& packets,
               std::uint64_t& nextKey) {
    std::string header;
    if (!std::getline(in, header) || header != kStateHeader) return false;
    if (!readLine(in, "next", nextKey) || nextKey == 0) return false;
    while (in.peek() == 'p') {
        CEmbeddedGateway::ScheduledPacket p;
        if (!readPacket(in, packets, nextKey, p)) return false;
        packets.push_back(std::move(p));
    }
    std::size_t total = 0;
    std::string extra;
    return readLine(in, "end", total) && total == packets.size() && !(in >> extra);
}

void logLine(const std::string& text) { Base::CLog::getSingleton().writeMessage(text, 2); }

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
        saveState();
        return m_scheduled.back().key;
    }
    for (std::size_t i = 0; i < parsed.timer.phones.size(); ++i) {
        m_delivered.push_back({parsed.packetId, parsed.timer.phones[i], parsed.timer.texts[i]});
    }
    return {};
}

CNetSendResultB CEmbeddedGateway::DelTimerMsg(int group, const std::string& keys) {
    const std::vector<std::string> named = splitTimerKeys(keys);
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
    saveState();
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
    saveState();
}

bool CEmbeddedGateway::setStateFile(const std::string& path) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_stateFile = path;
    m_scheduled.clear();
    m_nextKey = 1;
    if (path.empty()) return true;
    // A name that is not GBK names no file: unreadable, and every write fails.
    const std::filesystem::path file = Platform::filePath(path);
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::error_code ec;
        if (!file.empty() && !std::filesystem::exists(file, ec) && !ec)
            return true;  // a new service
        logLine("嵌入网关状态文件无法读取，定时信息从空开始：" + path);
        return false;
    }
    std::vector<ScheduledPacket> packets;
    std::uint64_t nextKey = 1;
    if (!readState(in, packets, nextKey)) {
        logLine("嵌入网关状态文件已损坏，定时信息从空开始：" + path);
        return false;
    }
    m_scheduled = std::move(packets);
    m_nextKey = nextKey;
    return true;
}

// Runs under m_mutex, so two changes never write the file out of order.
void CEmbeddedGateway::saveState() const {
    if (m_stateFile.empty()) return;
    const std::string temporary = m_stateFile + ".tmp";
    const std::filesystem::path temporaryName = Platform::filePath(temporary);
    {
        std::ofstream out(temporaryName, std::ios::binary | std::ios::trunc);
        out << writeState(m_scheduled, m_nextKey);
        out.close();
        if (!out) {
            logLine("嵌入网关状态文件写入失败：" + temporary);
            return;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporaryName, Platform::filePath(m_stateFile), ec);
    if (ec) logLine("嵌入网关状态文件替换失败：" + m_stateFile + "：" + ec.message());
}

}  // namespace SMS::NET
