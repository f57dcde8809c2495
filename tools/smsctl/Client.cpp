#include "tools/smsctl/Client.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "contracts/base/CLog.h"
#include "contracts/dmg/CDataManager.h"
#include "contracts/net/CNetConfigData.h"
#include "contracts/net/CNetInterfaceMag.h"
#include "contracts/platform/FilePath.h"
#include "queue/CSendQueueService.h"
#include "queue/CSmsSendLoadMag.h"
#include "send/CSmsSendStartInstance.h"
#include "send/CUserInfo.h"
#include "tools/smsctl/Errors.h"
#include "tools/smsctl/Gateway.h"
#include "tools/smsctl/Interrupt.h"
#include "tools/smsctl/System.h"
#include "tools/smsctl/Terminal.h"

namespace smsctl {
namespace {

// The simulated service's terms: a balance to spend and a short pause.
SMS::NET::CNetLogResult embeddedTerms() {
    SMS::NET::CNetLogResult terms;
    terms.remainingSms = 100000;
    terms.packetPauseMs = 20;
    terms.userName = "smsctl";
    return terms;
}

std::string senderName() {
    const char* const user = std::getenv("USER");
    return user != nullptr && *user != '\0' ? user : "smsctl";
}

}  // namespace

Client::Client(const Options& options) : options_(options) {}

Client::~Client() { stop(); }

void Client::start() {
    if (started_) return;
    if (options_.gateway != "embedded") config_ = parseGatewayUrl(options_.gateway);
    userDir_ = chosenUserDir();
    std::error_code ec;
    const std::filesystem::path dir = Platform::filePath(userDir_);
    std::filesystem::create_directories(dir, ec);
    if (!std::filesystem::is_directory(dir, ec)) {
        throw Failure(u8"cannot create the user directory " + shownPath(userDir_));
    }
    openLog();
    service_ = std::make_unique<CSendQueueService>();
    if (Dmg::CDataManager::getSingleton().openUserData(userDir_) != 1) {
        throw Failure(u8"cannot open the user data in " + shownPath(userDir_) +
                      u8" (a damaged file or another key; see smsctl.log there)");
    }
    started_ = true;
    login();
    SMS::CUserInfo* const user = SMS::CUserInfo::instance();
    user->userDir = userDir_;
    user->senderId = senderName();
    user->senderExtra = "";
    setCallbacks();
}

std::string Client::chosenUserDir() const {
    if (!userDirOverride_.empty()) return userDirOverride_;
    if (options_.userDir.empty()) return defaultUserDir();
    return libraryPath(options_.userDir, "--user-dir");
}

void Client::stop() {
    if (!started_) return;
    started_ = false;
    service_->stop();
    service_.reset();
    Dmg::CDataManager::getSingleton().closeUserData();
    queueLock_.reset();
    Base::CLog::getSingleton().flush();
}

void Client::lockQueue(QueueLock::Mode mode) {
    if (!queueLock_) queueLock_ = std::make_unique<QueueLock>(userDir_, mode);
}

void Client::openLog() {
    Base::CLog& log = Base::CLog::getSingleton();
    if (!log.setLogFile(userDir_ + "/smsctl.log", 2u * 1024 * 1024, 3)) {
        std::fprintf(stderr, u8"smsctl: cannot write %s/smsctl.log; the log is off\n",
                     shownPath(userDir_).c_str());
    }
    if (!options_.verbose) return;
    auto lock = std::make_shared<std::mutex>();  // lines come from every thread
    log.setEcho([lock](int level, const std::string& text) {
        const std::string line = toUtf8(text);
        const std::lock_guard<std::mutex> guard(*lock);
        std::fprintf(stderr, "log[%d] %s\n", level, line.c_str());
    });
}

void Client::login() {
    const std::string user = toGbk(options_.user.empty() ? senderName() : options_.user, "--user");
    SMS::NET::CNetInterfaceMag* const net = SMS::NET::CNetInterfaceMag::instance();
    if (overHttp()) {
        loginOverHttp(user);
    } else {
        gateway_ = std::make_shared<SMS::NET::CEmbeddedGateway>();
        gateway_->setStateFile(userDir_ + "/embedded-gateway.txt");
        gateway_->setLoginResult(embeddedTerms());
        seen_ = std::make_shared<SeenGateway>(gateway_);
        net->setGateway(seen_);
        terms_ = net->login(user, toGbk(options_.password, "--password"));
        if (terms_.result != 0) throw Failure(u8"login refused: " + toUtf8(terms_.message));
    }
    SMS::CSmsSendStartInstance::Instance()->setNetConfigData(terms_, config_);
}

// The interface object builds the HTTP gateway from the login settings; the
// run puts its counter in front of it.
void Client::loginOverHttp(const std::string& user) {
    SMS::NET::CNetInterfaceMag* const net = SMS::NET::CNetInterfaceMag::instance();
    if (net->useConfig(config_) != 1) {
        throw UsageError(u8"--gateway: " + options_.gateway + u8" cannot be used (see smsctl.log)");
    }
    http_ = std::dynamic_pointer_cast<SMS::NET::HttpGateway>(net->gateway());
    if (!http_) throw Failure(u8"the network library chose no HTTP gateway");
    seen_ = std::make_shared<SeenGateway>(http_);
    net->setGateway(seen_);
    terms_ = net->login(user, toGbk(options_.password, "--password"));
    if (terms_.result == SMS::NET::CNetSendResultB::kUnavailable) {
        throw Failure(u8"cannot reach the service at " + gatewayUrl() + ": " +
                      toUtf8(terms_.message));
    }
    if (terms_.result != 0) {
        throw Failure(u8"login refused by " + gatewayUrl() + ": " + toUtf8(terms_.message));
    }
}

void Client::setCallbacks() {
    SMS::CSmsSendStartInstance* const settings = SMS::CSmsSendStartInstance::Instance();
    settings->onSendPrepared = [] {};
    settings->onPacketsQueued = [](std::vector<Dmg::QueueData>& packets) {
        SMS::CSmsSendLoadMag::instance()->addSendQueue(packets);
    };
    settings->onPacketDone = [this](int&, int&) { ++packetsDone_; };
    settings->onFirstSendFailure = [](std::string& error) {
        std::fprintf(stderr, u8"smsctl: the service refused a packet: %s (the send goes on)\n",
                     toUtf8(error).c_str());
        return 0;
    };
    settings->onSendAborted = [] {
        std::fprintf(stderr, u8"smsctl: the send stopped; what is unsent stays queued\n");
    };
}

SMS::NET::CEmbeddedGateway& Client::gateway() {
    if (!gateway_) throw UsageError(u8"this works with the embedded gateway only (no --gateway URL)");
    return *gateway_;
}

SMS::NET::HttpGateway& Client::httpGateway() {
    if (!http_) throw UsageError(u8"this needs a service: give --gateway http://HOST:PORT");
    return *http_;
}

std::string Client::gatewayUrl() const {
    if (!overHttp()) return {};
    return "http://" + config_.serverAddress + ":" + std::to_string(config_.serverPort);
}

std::string Client::gatewayDescription() const {
    if (overHttp()) return u8"the SMS service at " + gatewayUrl();
    return u8"the embedded gateway, a simulation inside this program: nothing leaves this machine";
}

int Client::acceptedPackets() const { return seen_ ? seen_->acceptedPackets() : 0; }

int Client::uploadedContacts() const { return seen_ ? seen_->uploadedContacts() : 0; }

bool Client::waitForSends() {
    while (service_ && service_->isActive() != 0) {
        if (interrupted()) {
            service_->stop();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

}  // namespace smsctl
