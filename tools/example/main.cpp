// Runs the whole road of one send on the embedded gateway: compose, queue,
// send on the background threads, move into the history, and print it.
#include <unistd.h>

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CHistoryLogSerialize.h"
#include "contracts/net/CEmbeddedGateway.h"
#include "contracts/net/CNetConfigData.h"
#include "contracts/net/CNetInterfaceMag.h"
#include "contracts/platform/CodePage.h"
#include "contracts/platform/FilePath.h"
#include "contracts/progress.h"
#include "queue/CSendQueueService.h"
#include "queue/CSmsSendLoadMag.h"
#include "send/CSmsMsgProcessor.h"
#include "send/CSmsSendStartInstance.h"
#include "send/CSmsSender.h"
#include "send/CUserInfo.h"

namespace {

// The library's texts are GBK; the terminal wants UTF-8.
std::string utf8(const std::string& gbk) {
    std::string out;
    return Platform::gbkToUtf8(gbk, out) ? out : gbk;
}

// Shows the pipeline's progress on the terminal.
class ConsoleProgress final : public IBaseProgressDlg {
public:
    void setRange(int lower, int upper, int step) override {
        std::printf(u8"progress: range %d..%d step %d\n", lower, upper, step);
    }
    void refresh() override {}
    void offsetPos(int delta) override { position_ += delta; }
    void setText(const char* format, ...) override {
        char text[512];
        va_list args;
        va_start(args, format);
        std::vsnprintf(text, sizeof text, format, args);
        va_end(args);
        std::printf(u8"progress: %s", utf8(text).c_str());
    }
    int isCanceled() override { return 0; }
    int position() const { return position_; }

private:
    int position_ = 0;
};

// A user directory of its own under the temporary folder, removed when the
// program ends.
class TempUserDir {
public:
    TempUserDir() = default;
    ~TempUserDir() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    TempUserDir(const TempUserDir&) = delete;
    TempUserDir& operator=(const TempUserDir&) = delete;

    // Makes the folder; false, with the reason in `error`, when the
    // temporary folder (TMPDIR) is missing or cannot be written.
    bool create(std::string& error) {
        std::error_code ec;
        const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
        if (ec) {
            const char* const tmpdir = std::getenv("TMPDIR");
            error = u8"the temporary folder " + std::string(tmpdir ? tmpdir : u8"/tmp") +
                    u8" cannot be used: " + ec.message();
            return false;
        }
        const std::filesystem::path path = base / ("sms-example-" + std::to_string(::getpid()));
        std::filesystem::remove_all(path, ec);
        if (!std::filesystem::create_directories(path, ec)) {
            error = u8"cannot create a folder in the temporary folder " + base.string() + ": " +
                    (ec ? ec.message() : u8"it exists");
            return false;
        }
        path_ = path;
        return true;
    }
    // As the library takes paths (GBK on Windows, where path::string() would
    // give UTF-8).
    std::string path() const { return Platform::pathString(path_); }

private:
    std::filesystem::path path_;
};

// Logs in at a fresh embedded service with a balance and a short pause, and
// hands the terms to the send settings.
std::shared_ptr<SMS::NET::CEmbeddedGateway> loginAtEmbeddedGateway() {
    auto gateway = std::make_shared<SMS::NET::CEmbeddedGateway>();
    SMS::NET::CNetLogResult terms;
    terms.remainingSms = 1000;
    terms.packetPauseMs = 50;
    terms.firstPackSize = 2;
    terms.packSize = 2;
    gateway->setLoginResult(terms);
    SMS::NET::CNetInterfaceMag::instance()->setGateway(gateway);

    const SMS::NET::CNetLogResult login =
        SMS::NET::CNetInterfaceMag::instance()->login("demo", "demo");
    SMS::CSmsSendStartInstance* const settings = SMS::CSmsSendStartInstance::Instance();
    settings->setNetConfigData(login, SMS::NET::CNetConfigData());
    settings->packetPauseMs = 50;
    return gateway;
}

void setCallbacks() {
    SMS::CSmsSendStartInstance* const settings = SMS::CSmsSendStartInstance::Instance();
    settings->onSendPrepared = [] {};
    settings->onPacketsQueued = [](std::vector<Dmg::QueueData>& packets) {
        std::printf(u8"queued %zu packet(s)\n", packets.size());
        SMS::CSmsSendLoadMag::instance()->addSendQueue(packets);
    };
    settings->onPacketDone = [](int& recordId, int&) {
        std::printf(u8"packet %d done\n", recordId);
    };
    settings->onFirstSendFailure = [](std::string& error) {
        std::printf(u8"first failure: %s\n", utf8(error).c_str());
        return 0;
    };
    settings->onSendAborted = [] { std::printf(u8"send aborted\n"); };
}

bool sendOne() {
    SMS::CSmsMsgProcessor processor;
    int id = 0;
    for (const char* phone : {"13800138000", "13012345678", "18912345678", "13500135000",
                              "13900139000"}) {
        if (processor.addPhone(phone, false, true, id) != 1) {
            std::printf(u8"number %s refused\n", phone);
        }
    }
    processor.setSendMsg("您好，本周六上午十点开会，请准时参加。");
    std::string error;
    ConsoleProgress progress;
    SMS::CSmsSender sender;
    if (sender.send(&processor, error, &progress) != 1) {
        std::printf(u8"send refused: %s\n", utf8(error).c_str());
        return false;
    }
    std::printf(u8"send queued, %d step(s) of progress\n", progress.position());
    return true;
}

bool waitForThreads(CSendQueueService& service, std::chrono::seconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (service.isActive() != 0) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

void printHistory() {
    auto* const history = static_cast<Dmg::CHistoryLogSerialize*>(
        Dmg::CDataManager::getSingleton().getDataSerialize("historylog"));
    std::vector<Dmg::CHistoryMsg> rows;
    if (history == nullptr || history->getAllLog(rows) == 0) {
        std::printf(u8"history unavailable\n");
        return;
    }
    std::printf(u8"history: %zu row(s)\n", rows.size());
    for (const Dmg::CHistoryMsg& row : rows) {
        std::printf(u8"  #%d %04d-%02d-%02d %02d:%02d %s  %s  [%s]\n", row.number, row.time.year,
                    row.time.month, row.time.day, row.time.hour, row.time.minute,
                    row.success ? u8"accepted" : u8"failed", utf8(row.firstText).c_str(),
                    utf8(row.secondText).c_str());
    }
}

int run(const std::string& userDir) {
    CSendQueueService service;
    SMS::CUserInfo* const user = SMS::CUserInfo::instance();
    user->userDir = userDir;
    user->senderId = "demo";
    user->senderExtra = "";
    const auto gateway = loginAtEmbeddedGateway();
    setCallbacks();

    int result = 0;
    if (!sendOne()) {
        result = 1;
    } else if (!waitForThreads(service, std::chrono::seconds(30))) {
        std::printf(u8"the background threads did not finish in time\n");
        result = 1;
    } else {
        std::printf(u8"gateway: %zu packet(s) accepted, %zu message(s) delivered\n",
                    gateway->acceptedPackets(), gateway->deliveredCount());
        printHistory();
    }
    service.stop();
    return result;
}

void printUsage(std::FILE* to) {
    std::fprintf(to, u8"Usage: sms_example [--help]\n"
                     u8"Runs one whole send on the embedded gateway: composes a message to five\n"
                     u8"numbers, queues it in a user folder made under the temporary folder\n"
                     u8"(TMPDIR, else /tmp), sends it on the background threads, prints the\n"
                     u8"history and removes the folder.\n"
                     u8"Exit status: 0 when the send went through, 1 otherwise.\n");
}

int runExample() {
    TempUserDir dir;
    std::string error;
    if (!dir.create(error)) {
        std::fprintf(stderr, u8"sms_example: %s (set TMPDIR to a writable folder)\n", error.c_str());
        return 1;
    }
    if (Dmg::CDataManager::getSingleton().openUserData(dir.path()) != 1) {
        std::fprintf(stderr, u8"sms_example: cannot open the user data in %s\n", dir.path().c_str());
        return 1;
    }
    const int result = run(dir.path());
    Dmg::CDataManager::getSingleton().closeUserData();
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        const std::string arg = argv[1];
        const bool help = argc == 2 && (arg == "--help" || arg == "-h");
        if (!help) std::fprintf(stderr, u8"sms_example: unexpected argument '%s'\n", arg.c_str());
        printUsage(help ? stdout : stderr);
        return help ? 0 : 1;
    }
    try {
        return runExample();
    } catch (const std::exception& e) {
        std::fprintf(stderr, u8"sms_example: %s\n", e.what());
        return 1;
    }
}
