#include "tools/smsctl/Gateway.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <system_error>

#include "contracts/platform/FilePath.h"
#include "tools/smsctl/Errors.h"

namespace smsctl {
namespace {

bool allDigits(const std::string& s) {
    return !s.empty() && s.size() <= 5 &&
           s.find_first_not_of("0123456789") == std::string::npos;
}

std::map<std::string, std::int64_t> readMarks(const std::string& file) {
    std::map<std::string, std::int64_t> marks;
    std::ifstream in(Platform::filePath(file));
    std::string url;
    std::int64_t id = 0;
    while (in >> url >> id) marks[url] = id;
    return marks;
}

}  // namespace

SMS::NET::CNetConfigData parseGatewayUrl(const std::string& url) {
    const std::string scheme = "http://";
    const auto bad = [&url](const char* why) {
        return UsageError(u8"--gateway: '" + url + u8"' " + why +
                          u8" (give 'embedded' or http://HOST:PORT)");
    };
    if (url.compare(0, scheme.size(), scheme) != 0) throw bad(u8"is not an http:// URL");
    std::string rest = url.substr(scheme.size());
    if (!rest.empty() && rest.back() == '/') rest.pop_back();
    const std::size_t colon = rest.rfind(':');
    if (colon == std::string::npos || rest.find(']', colon) != std::string::npos) {
        throw bad(u8"has no port");
    }
    SMS::NET::CNetConfigData config;
    config.serverAddress = rest.substr(0, colon);
    const std::string port = rest.substr(colon + 1);
    if (config.serverAddress.empty()) throw bad(u8"has no host");
    if (config.serverAddress.find_first_of(" \t/?#@") != std::string::npos) {
        throw bad(u8"has a path, credentials or blanks in it");
    }
    if (!allDigits(port) || std::stoi(port) < 1 || std::stoi(port) > 65535) {
        throw bad(u8"has a port outside 1..65535");
    }
    config.serverPort = std::stoi(port);
    return config;
}

SMS::NET::CNetSendResultB SeenGateway::send(const Dmg::QueueData& packet) {
    SMS::NET::CNetSendResultB result = inner_->send(packet);
    if (result.code == 0) {
        const std::lock_guard<std::mutex> lock(mutex_);
        accepted_.insert(packet.recordId);
    }
    return result;
}

void SeenGateway::sendFriendInfo(const SMS::NET::CNetFriendInfo& info) {
    inner_->sendFriendInfo(info);
    ++uploads_;
}

int SeenGateway::acceptedPackets() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(accepted_.size());
}

std::int64_t readReplyMark(const std::string& file, const std::string& url) {
    const auto marks = readMarks(file);
    const auto it = marks.find(url);
    return it == marks.end() ? 0 : it->second;
}

bool writeReplyMark(const std::string& file, const std::string& url, std::int64_t id) {
    auto marks = readMarks(file);
    marks[url] = id;
    const std::filesystem::path temp = Platform::filePath(file + ".new");
    {
        std::ofstream out(temp, std::ios::trunc);
        for (const auto& m : marks) out << m.first << ' ' << m.second << '\n';
        out.flush();
        if (!out) return false;
    }
    // Replaces the old marks also on Windows, where std::rename refuses.
    std::error_code ec;
    std::filesystem::rename(temp, Platform::filePath(file), ec);
    return !ec;
}

}  // namespace smsctl
