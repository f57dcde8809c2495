// A recording model of SQu.dll and HLog.dll behind the two stores of the
// background threads, a scripted gateway that can hold a packet, and
// fixtures that own the service, work in a folder of their own and restore
// the shared singletons afterwards.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "contracts/dmg/CHistoryLogSerialize.h"
#include "contracts/dmg/CLogSendQueueSerialize.h"
#include "contracts/dmg/CSendQueueSerialize.h"
#include "contracts/net/CNetInterfaceMag.h"
#include "queue/CSendQueueService.h"
#include "queue/CSmsSendLoadMag.h"
#include "queue/QueueHooks.h"
#include "send/CSmsSendStartInstance.h"
#include "send/CUserInfo.h"
#include "tests/fakes/LogCapture.h"
#include "tests/fakes/ScopedStore.h"
#include "tests/fakes/TempDir.h"
#include "tests/fakes/WaitUntil.h"

namespace queuetest {

using Ids = std::vector<int>;
using Packets = std::vector<Dmg::QueueData>;
using Texts = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

const char* const kPassword = "Quenp19990812";

inline Ids sorted(Ids ids) { return std::sort(ids.begin(), ids.end()), ids; }

inline Ids idsOf(const Packets& records) {
    Ids ids;
    for (const auto& r : records) ids.push_back(r.recordId);
    return ids;
}

inline Ids range(int first, int last) {
    Ids ids;
    for (int id = first; id <= last; ++id) ids.push_back(id);
    return ids;
}

// A copy of `field`, taken under the lock that guards it.
template <typename T>
T copyUnder(std::mutex& mutex, const T& field) {
    const std::lock_guard<std::mutex> g(mutex);
    return field;
}

// How long `f` takes.
template <typename F>
Clock::duration timed(F f) { const auto t0 = Clock::now(); return f(), Clock::now() - t0; }

// Opens SQu.dll of `dir` in the open user data for `use` and closes it again.
template <typename Use>
bool withQueue(const std::string& dir, Use use) {
    auto& queue = *static_cast<Dmg::CSendQueueSerialize*>(
        Dmg::CDataManager::getSingleton().getDataSerialize("sendqueuemodify"));
    const bool ok = queue.initialize(dir + "/SQu.dll", kPassword) == 1 && use(queue);
    queue.close();
    return ok;
}

// The history rows of the open user data.
inline std::vector<Dmg::CHistoryMsg> allHistory() {
    std::vector<Dmg::CHistoryMsg> rows;
    static_cast<Dmg::CHistoryLogSerialize*>(
        Dmg::CDataManager::getSingleton().getDataSerialize("historylog"))->getAllLog(rows);
    return rows;
}

using fakes::waitUntil;

// A gate one thread passes once, waiting there until another opens it.
class Gate {
public:
    void pass() { reached_.set_value(), opened_.wait(); }
    void open() { open_.set_value(); }
    bool reached() { return arrived_.wait_for(std::chrono::seconds(30)) == std::future_status::ready; }

private:
    std::promise<void> reached_, open_;
    std::future<void> arrived_ = reached_.get_future(), opened_ = open_.get_future();
};

// Packet statuses stored by the sender and the rows the log thread moved.
struct QueueModel {
    std::mutex mutex;
    std::vector<std::pair<int, int>> statusCalls;  // stored (record id, status)
    std::set<int> failStatus;                      // statuses of these ids cannot be written
    int failedStatusCalls = 0;
    std::map<int, Dmg::QueueData> finishedRows;  // waiting to be moved
    Ids history;                                 // moved record ids
    enum { kRefused = 1, kLost = 2 };  // historyFails: writeLog fails / succeeds, keeps nothing
    int historyFails = 0, writeLogCalls = 0;
    std::atomic<int> opens{0}, closes{0};
    // Called by getAllSendData with its answer, outside the model's lock.
    std::function<void(const Ids&)> onRead;

    template <typename T>
    T get(const T& field) { return copyUnder(mutex, field); }
};

class FakeSendQueue : public Dmg::CSendQueueSerialize {
public:
    explicit FakeSendQueue(QueueModel& m) : m_(m) {}
    int initialize(const std::string&, const std::string&) override { return ++m_.opens, 1; }
    int close() override { return ++m_.closes, 1; }
    int modifyStatus(const int& id, const int& status) override {
        const std::lock_guard<std::mutex> g(m_.mutex);
        if (m_.failStatus.count(id) != 0) return ++m_.failedStatusCalls, 0;
        m_.statusCalls.emplace_back(id, status);
        Dmg::QueueData& row = m_.finishedRows[id];
        row.recordId = id;
        row.state = status == 1 ? Dmg::QueueData::kAccepted : Dmg::QueueData::kFailed;
        return 1;
    }

private:
    QueueModel& m_;
};

class FakeLogQueue : public Dmg::CLogSendQueueSerialize {
public:
    explicit FakeLogQueue(QueueModel& m) : m_(m) {}
    int initializeHistroyDB(const std::string&, const std::string&) override { return 1; }
    int initializeSendQueueDB(const std::string&, const std::string&) override { return 1; }
    int initializeMainDB(const std::string&, const std::string&) override { return 1; }
    int getAllSendData(Packets& records, Ids& ids) override {
        std::unique_lock<std::mutex> g(m_.mutex);
        for (const auto& [id, row] : m_.finishedRows) records.push_back(row), ids.push_back(id);
        const auto onRead = m_.onRead;
        g.unlock();
        if (onRead) onRead(ids);
        return 1;
    }
    int writeLog(const Packets& records) override {
        const std::lock_guard<std::mutex> g(m_.mutex);
        ++m_.writeLogCalls;
        if (m_.historyFails != 0) return m_.historyFails == QueueModel::kLost ? 1 : 0;
        for (const auto& r : records) m_.history.push_back(r.recordId);
        return 1;
    }
    // Deletes only rows whose history row was written, as the real store does.
    int deleteSendData(const Ids& ids) override {
        const std::lock_guard<std::mutex> g(m_.mutex);
        for (int id : ids)
            if (std::count(m_.history.begin(), m_.history.end(), id) != 0) m_.finishedRows.erase(id);
        return 1;
    }

private:
    QueueModel& m_;
};

// A store of the caller's queue view: records its calls, loads `stored`.
struct RecordingQueue : Dmg::CSendQueueSerialize {
    std::vector<std::string> calls;
    Packets stored;
    Ids deleted;
    int initialize(const std::string& path, const std::string& password) override {
        return calls.push_back("initialize(" + path + "," + password + ")"), 1;
    }
    int close() override { return calls.push_back("close"), 1; }
    int loadAllQueue(Packets& out) override {
        out.insert(out.end(), stored.begin(), stored.end());
        return calls.push_back("loadAllQueue"), 1;
    }
    int delQueue(const Ids& ids) override { return deleted = ids, calls.push_back("delQueue"), 1; }
};

// Answers the record ids in `scripts` with their script, one code per call
// (the last one repeats); refuses those in `refused` (error text "refused
// <id>"); holds the packet `holdId` at `hold` until the gate is opened. Set up
// before use.
class ScriptedGateway : public SMS::NET::IGateway {
public:
    SMS::NET::CNetSendResultB send(const Dmg::QueueData& p) override {
        if (p.recordId == holdId) hold.pass();
        const std::lock_guard<std::mutex> g(mutex_);
        const auto calls = std::count(sent_.begin(), sent_.end(), p.recordId);
        sent_.push_back(p.recordId);
        SMS::NET::CNetSendResultB r;
        if (refused.count(p.recordId)) r.code = 3, r.errorText = "refused " + std::to_string(p.recordId);
        if (const auto s = scripts.find(p.recordId); s != scripts.end()) {
            r.code = s->second[std::min<std::size_t>(calls, s->second.size() - 1)];
            if (r.code != 0) r.errorText = "code " + std::to_string(r.code);
        }
        return r;
    }
    SMS::NET::CNetLogResult login(const std::string&, const std::string&) override { return {}; }
    void sendFriendInfo(const SMS::NET::CNetFriendInfo&) override {}
    SMS::NET::CNetSendResultB DelTimerMsg(int, const std::string&) override { return {}; }
    Ids sent() { return copyUnder(mutex_, sent_); }
    int calls(int id) { const Ids s = sent(); return static_cast<int>(std::count(s.begin(), s.end(), id)); }
    std::set<int> refused;
    std::map<int, std::vector<int>> scripts;
    int holdId = -1;
    Gate hold;

private:
    std::mutex mutex_;
    Ids sent_;
};

// Holds the first worker thread that reaches `point` at `gate`.
inline void holdFirst(SMS::QueuePoint point, Gate& gate) {
    auto passes = std::make_shared<std::atomic<int>>(0);
    SMS::setQueueHook([point, &gate, passes](SMS::QueuePoint p) {
        if (p == point && (*passes)++ == 0) gate.pass();
    });
}

inline Dmg::QueueData packet(int recordId, int recipients = 1, int timer = 0, int rejected = 0) {
    Dmg::QueueData p;
    p.recordId = recordId, p.packetId = 1000 + recordId;
    p.recipientCount = recipients, p.segmentCount = recipients * 2;
    p.timerFlag = timer, p.rejected = rejected, p.displayText = "text";
    return p;
}

inline Packets packets(int first, int last) {
    Packets out;
    for (int id = first; id <= last; ++id) out.push_back(packet(id));
    return out;
}

inline int addSendQueue(const Packets& p) {
    return SMS::CSmsSendLoadMag::instance()->addSendQueue(p);
}

// True once the service's threads have ended by themselves.
inline bool waitIdle(CSendQueueService& service) {
    const auto idle = [&] { return !service.isSendThreadActive() && !service.logThreadRunning(); };
    return waitUntil(idle, std::chrono::seconds(60));
}

// Owns the service, works in a folder of its own, records the callbacks of
// the sending thread and restores the shared singletons afterwards.
class QueueBase : public ::testing::Test {
protected:
    QueueBase() {
        SMS::CUserInfo::instance()->userDir = dir.path();
        settings.packetPauseMs = 0, settings.sendFinished = false;
        settings.onPacketDone = [this](int& id, int&) {
            const std::lock_guard<std::mutex> g(doneMutex);
            done.push_back(id);
            if (onDone) onDone(id);
        };
        settings.onFirstSendFailure = [this](std::string& text) {
            const std::lock_guard<std::mutex> g(doneMutex);
            questions.push_back(text);
            return stopOnFailure;
        };
        settings.onSendAborted = [this] { ++aborted; };
    }
    ~QueueBase() override {
        service.reset();
        SMS::setQueueHook(nullptr);
        SMS::CSmsSendLoadMag::instance()->ClearAll();
        settings = saved;
        SMS::NET::CNetInterfaceMag::instance()->setGateway(nullptr);
    }
    Ids doneIds() { return copyUnder(doneMutex, done); }
    std::shared_ptr<ScriptedGateway> useGateway(std::set<int> refused = {}, int holdId = -1,
                                                std::map<int, std::vector<int>> scripts = {}) {
        auto g = std::make_shared<ScriptedGateway>();
        g->refused = std::move(refused), g->holdId = holdId, g->scripts = std::move(scripts);
        SMS::NET::CNetInterfaceMag::instance()->setGateway(g);
        return g;
    }
    bool allDone(std::size_t n) { return waitUntil([&] { return doneIds().size() >= n; }); }

    fakes::TempDir dir;
    SMS::CSmsSendStartInstance& settings = *SMS::CSmsSendStartInstance::Instance();
    const SMS::CSmsSendStartInstance saved = settings;
    fakes::LogCapture log;
    std::unique_ptr<CSendQueueService> service = std::make_unique<CSendQueueService>();
    std::mutex doneMutex;
    Ids done;
    std::function<void(int)> onDone;  // runs on the sending thread
    std::vector<std::string> questions;
    std::atomic<int> aborted{0};
    int stopOnFailure = 0;
};

// The same with the recording model behind the stores of both threads.
class QueueTest : public QueueBase {
protected:
    ~QueueTest() override { service.reset(); }  // its threads use the stores

    QueueModel model;
    FakeSendQueue sendStore{model};
    FakeLogQueue logStore{model};
    fakes::ScopedStore sendReg{"sendqueuemodifyW", &sendStore};
    fakes::ScopedStore logReg{"logsendqueue", &logStore};
};

}  // namespace queuetest
