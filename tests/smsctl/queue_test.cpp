// smsctl queue: packets an earlier run left queued are listed, deleted and
// resumed; Ctrl-C during a send leaves the rest queued; a run never takes
// over packets another run is sending.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "contracts/net/CNetConfigData.h"
#include "send/CSmsMsgProcessor.h"
#include "send/CSmsSendStartInstance.h"
#include "send/CSmsSender.h"
#include "send/CUserInfo.h"
#include "tests/fakes/RecordingProgressDlg.h"
#include "tests/fakes/WaitUntil.h"
#include "tests/smsctl/SmsctlRun.h"

namespace {

// What a run that died after queueing leaves: one packet per number in the
// folder's queue, handed to no sending thread.
void leaveQueued(const std::string& userDir, const std::vector<std::string>& numbers) {
    std::filesystem::create_directories(userDir);
    ASSERT_EQ(Dmg::CDataManager::getSingleton().openUserData(userDir), 1);
    SMS::CSmsSendStartInstance& settings = *SMS::CSmsSendStartInstance::Instance();
    const SMS::CSmsSendStartInstance saved = settings;
    SMS::NET::CNetLogResult terms;
    terms.remainingSms = 1000, terms.packSize = terms.firstPackSize = 1;
    settings.setNetConfigData(terms, SMS::NET::CNetConfigData());
    settings.sendFinished = true;
    settings.onSendPrepared = [] {};
    settings.onPacketsQueued = [](std::vector<Dmg::QueueData>&) {};
    SMS::CUserInfo::instance()->userDir = userDir;
    SMS::CSmsMsgProcessor message;
    int id = 0;
    for (const auto& n : numbers) message.addPhone(n, false, true, id);
    message.setSendMsg("hi");
    std::string error;
    fakes::RecordingProgressDlg progress;
    EXPECT_EQ(SMS::CSmsSender().send(&message, error, &progress), 1) << error;
    settings = saved;
    Dmg::CDataManager::getSingleton().closeUserData();
}

// The folder's queue lock, held by this test as another run would hold it.
struct HeldLock {
    int fd;
    HeldLock(const std::string& userDir, int how)
        : fd(::open((userDir + "/queue.lock").c_str(), O_RDWR | O_CREAT, 0600)) {
        EXPECT_EQ(::flock(fd, how | LOCK_NB), 0);
    }
    ~HeldLock() { ::close(fd); }
};

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(SmsctlQueue, LeftPacketsAreListedDeletedAndResumedOnce) {
    const fakes::TempDir dir;
    const std::string user = dir.file("user");
    leaveQueued(user, {"13800000001", "13800000002", "13800000003"});
    const auto listed = smsctltest::run(dir, {"--json", "queue", "list"});
    ASSERT_EQ(count(listed.out, "\"id\""), 3u) << listed.out;
    const std::string first = listed.out.substr(listed.out.find("\"id\": \"") + 7);
    const std::string id = first.substr(0, first.find('"'));
    {
        const HeldLock sending(user, LOCK_SH);
        for (const auto& args : {std::vector<std::string>{"queue", "resume"},
                                 std::vector<std::string>{"queue", "delete", "--all"}}) {
            const auto r = smsctltest::run(dir, args);
            EXPECT_EQ(r.status, 1);
            EXPECT_NE(r.err.find("another smsctl is sending"), std::string::npos) << r.err;
        }
    }
    {
        const HeldLock resuming(user, LOCK_EX);
        const auto r = smsctltest::run(dir, {"send", "13800000009", "--text", "x"});
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("another smsctl is resuming"), std::string::npos) << r.err;
    }
    EXPECT_EQ(smsctltest::run(dir, {"queue", "delete", "999999"}).status, 1);
    const auto deleted = smsctltest::run(dir, {"queue", "delete", id});
    EXPECT_EQ(deleted.out, "deleted 1 packets (1 recipients)\n") << deleted.err;
    const auto resumed = smsctltest::run(dir, {"queue", "resume"});
    EXPECT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_EQ(smsctltest::run(dir, {"queue", "list"}).out, "(none)\n");
    EXPECT_EQ(smsctltest::sentTimes(user),
              (std::map<std::string, int>{{"13800000002", 1}, {"13800000003", 1}}));
}

// Ctrl-C at whatever point of a send: what was not sent stays queued, and
// resuming sends each number exactly once.
TEST(SmsctlQueue, CtrlCLeavesTheRestQueuedAndResumeSendsEachNumberOnce) {
    const fakes::TempDir dir;
    constexpr int kNumbers = 3000;
    {
        std::ofstream csv(dir.file("n.csv"));
        for (int i = 0; i < kNumbers; ++i) csv << 13800000000LL + i << "\n";
    }
    const pid_t pid =
        smsctltest::start(dir, {"send", "--csv", dir.file("n.csv"), "--text", "C"}, "");
    ASSERT_TRUE(fakes::waitUntil([&] {
        return smsctltest::slurp(dir.file("stderr")).find("sending through") != std::string::npos;
    }));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ::kill(pid, SIGINT);
    const auto stopped = smsctltest::finish(dir, pid, "");
    ASSERT_NE(stopped.status, -1) << "ended by the signal: " << stopped.err;
    const auto resumed = smsctltest::run(dir, {"queue", "resume"});
    EXPECT_EQ(resumed.status, 0) << resumed.err;
    const auto sent = smsctltest::sentTimes(dir.file("user"));
    // Nothing at all when Ctrl-C came before the packets were queued.
    if (stopped.status != 0 && sent.empty()) return;
    EXPECT_EQ(sent.size(), static_cast<std::size_t>(kNumbers)) << stopped.err;
    EXPECT_TRUE(std::all_of(sent.begin(), sent.end(), [](const auto& e) { return e.second == 1; }));
}

}  // namespace
