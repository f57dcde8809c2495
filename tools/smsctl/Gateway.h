// Where a run's requests go: the --gateway URL read into login settings, and
// the gateway the run logged in at, wrapped so that the run counts what it
// saw whichever gateway it is.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>

#include "contracts/net/CNetConfigData.h"
#include "contracts/net/IGateway.h"

namespace smsctl {

// "http://host:port" (a trailing "/" allowed) as login settings. Throws
// UsageError naming what is wrong.
SMS::NET::CNetConfigData parseGatewayUrl(const std::string& url);

// Forwards every request and counts, for this run, the packets the service
// accepted (each queue record once, however often it was sent) and the
// contacts handed over for upload.
class SeenGateway : public SMS::NET::IGateway {
public:
    explicit SeenGateway(std::shared_ptr<SMS::NET::IGateway> inner) : inner_(std::move(inner)) {}

    SMS::NET::CNetSendResultB send(const Dmg::QueueData& packet) override;
    SMS::NET::CNetLogResult login(const std::string& user, const std::string& password) override {
        return inner_->login(user, password);
    }
    void sendFriendInfo(const SMS::NET::CNetFriendInfo& info) override;
    SMS::NET::CNetSendResultB DelTimerMsg(int group, const std::string& keys) override {
        return inner_->DelTimerMsg(group, keys);
    }

    int acceptedPackets() const;
    int uploadedContacts() const { return uploads_.load(); }
    const std::shared_ptr<SMS::NET::IGateway>& inner() const { return inner_; }

private:
    const std::shared_ptr<SMS::NET::IGateway> inner_;
    // Added by the sending thread, counted by the caller's thread, under mutex_.
    mutable std::mutex mutex_;
    std::set<int> accepted_;
    // Counted by the upload thread, read by the caller's thread.
    std::atomic<int> uploads_{0};
};

// The service's id of the last reply stored from the service at `url`, kept
// in `file` (one "URL ID" line per service); 0 when none.
std::int64_t readReplyMark(const std::string& file, const std::string& url);
// Replaces the service's line; false when the file cannot be written.
bool writeReplyMark(const std::string& file, const std::string& url, std::int64_t id);

}  // namespace smsctl
