// One run of the client: the library started up the way a user interface
// does it (queue service, user data, login, user info, send settings, the
// five callbacks) and shut down at the end, threads stopped and what is
// unsent left queued for the next run.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <string>

#include "contracts/net/CEmbeddedGateway.h"
#include "contracts/net/CNetConfigData.h"
#include "contracts/net/CNetLogResult.h"
#include "contracts/net/HttpGateway.h"
#include "tools/smsctl/QueueLock.h"

class CSendQueueService;

namespace smsctl {

class SeenGateway;

struct Options {
    std::string userDir;  // empty: the per-user default
    std::string gateway = "embedded";  // or "http://host:port"
    std::string user;      // login name; empty: $USER, else "smsctl"
    std::string password;
    bool verbose = false;  // the library's log on stderr too
    bool json = false;     // list commands print JSON
};

class Client {
public:
    explicit Client(const Options& options);
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // Starts the library once; later calls do nothing. Throws Failure.
    void start();
    // Uses `dir` (a library path) instead of the options' folder; before
    // start() only.
    void setUserDir(const std::string& dir) { userDirOverride_ = dir; }
    // Stops the threads and closes the user data; harmless when not started.
    void stop();
    // Holds the user folder's queue lock until stop(); after start(). Throws
    // Failure when another run holds it the other way.
    void lockQueue(QueueLock::Mode mode);

    const Options& options() const { return options_; }
    // The user folder, as the library takes paths (GBK on Windows); after
    // start().
    const std::string& userDir() const { return userDir_; }
    // The user folder start() uses; throws UsageError when there is none.
    std::string chosenUserDir() const;
    // The terms the service gave at login (balance, packet sizes, pause).
    const SMS::NET::CNetLogResult& terms() const { return terms_; }
    // True when the run talks to a service over HTTP (--gateway URL).
    bool overHttp() const { return !config_.serverAddress.empty(); }
    // The gateway of the run; each throws UsageError when the run uses the
    // other kind. After start().
    SMS::NET::CEmbeddedGateway& gateway();
    SMS::NET::HttpGateway& httpGateway();
    // "http://host:port" of the service; empty for the embedded gateway.
    std::string gatewayUrl() const;
    // One line that says where sends go.
    std::string gatewayDescription() const;
    // What this run saw: packets the service accepted, contacts uploaded.
    int acceptedPackets() const;
    int uploadedContacts() const;

    // Waits until everything queued is sent and moved into the history, or
    // until Ctrl-C; false when interrupted (the rest stays queued).
    bool waitForSends();
    // Packets the sending thread finished in this run.
    int packetsDone() const { return packetsDone_.load(); }

private:
    void openLog();
    void login();
    void loginOverHttp(const std::string& user);
    void setCallbacks();

    const Options& options_;  // filled by the command line before start()
    std::string userDir_;
    std::string userDirOverride_;
    std::unique_ptr<CSendQueueService> service_;
    SMS::NET::CNetConfigData config_;  // empty address: the embedded gateway
    std::shared_ptr<SMS::NET::CEmbeddedGateway> gateway_;
    std::shared_ptr<SMS::NET::HttpGateway> http_;
    std::shared_ptr<SeenGateway> seen_;  // in front of either
    SMS::NET::CNetLogResult terms_;
    std::unique_ptr<QueueLock> queueLock_;  // released once the threads stopped
    bool started_ = false;
    // Counted by the sending thread's callback, read by the caller's thread.
    std::atomic<int> packetsDone_{0};
};

}  // namespace smsctl
