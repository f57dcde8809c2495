// A recording model of SQu.dll and HLog.dll behind the two stores of the
// background threads, a scripted gateway, and a fixture that owns the
// service and restores the shared singletons afterwards.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "contracts/dmg/CLogSendQueueSerialize.h"
#include "contracts/dmg/CSendQueueSerialize.h"
#include "contracts/net/CNetInterfaceMag.h"
#include "queue/CSendQueueService.h"
#include "queue/CSmsSendLoadMag.h"
#include "send/CSmsSendStartInstance.h"
#include "send/CUserInfo.h"
#include "tests/fakes/LogCapture.h"
#include "tests/fakes/ScopedStore.h"

namespace queuetest {

// Packet statuses written by the sender and the rows the log thread moved.
struct QueueModel {
    std::mutex mutex;
    std::vector<std::pair<int, int>> statusCalls;  // (record id, status)
    std::map<int, Dmg::QueueData> finishedRows;    // waiting to be moved
    std::vector<int> history;                      // moved record ids
    int opens = 0, closes = 0;
};

class FakeSendQueue : public Dmg::CSendQueueSerialize {
public:
    explicit FakeSendQueue(QueueModel& m) : m_(m) {}
    int initialize(const std::string&, const std::string&) override { return lock(), ++m_.opens, 1; }
    int close() override { return lock(), ++m_.closes, 1; }
    int modifyStatus(const int& id, const int& status) override {
        const std::lock_guard<std::mutex> g(m_.mutex);
        m_.statusCalls.emplace_back(id, status);
        Dmg::QueueData row;
        row.recordId = id;
        row.state = status == 1 ? Dmg::QueueData::kAccepted : Dmg::QueueData::kFailed;
        m_.finishedRows[id] = row;
        return 1;
    }

private:
    std::unique_lock<std::mutex> lock() { return std::unique_lock<std::mutex>(m_.mutex); }
    QueueModel& m_;
};

class FakeLogQueue : public Dmg::CLogSendQueueSerialize {
public:
    explicit FakeLogQueue(QueueModel& m) : m_(m) {}
    int getAllSendData(std::vector<Dmg::QueueData>& records, std::vector<int>& ids) override {
        const std::lock_guard<std::mutex> g(m_.mutex);
        for (const auto& [id, row] : m_.finishedRows) records.push_back(row), ids.push_back(id);
        return 1;
    }
    int writeLog(const std::vector<Dmg::QueueData>& records) override {
        const std::lock_guard<std::mutex> g(m_.mutex);
        for (const auto& r : records) m_.history.push_back(r.recordId);
        return 1;
    }
    int deleteSendData(const std::vector<int>& ids) override {
        const std::lock_guard<std::mutex> g(m_.mutex);
        for (int id : ids) m_.finishedRows.erase(id);
        return 1;
    }

private:
    QueueModel& m_;
};

// Refuses the record ids in `refused` with an error text naming the id.
class ScriptedGateway : public SMS::NET::IGateway {
public:
    explicit ScriptedGateway(std::set<int> refused) : refused_(std::move(refused)) {}
    SMS::NET::CNetSendResultB send(const Dmg::QueueData& p) override {
        const std::lock_guard<std::mutex> g(mutex_);
        sent_.push_back(p.recordId);
        SMS::NET::CNetSendResultB r;
        if (refused_.count(p.recordId)) r.code = 3, r.errorText = "refused " + std::to_string(p.recordId);
        return r;
    }
    SMS::NET::CNetLogResult login(const std::string&, const std::string&) override { return {}; }
    std::vector<int> sent() {
        const std::lock_guard<std::mutex> g(mutex_);
        return sent_;
    }

private:
    std::mutex mutex_;
    std::set<int> refused_;
    std::vector<int> sent_;
};

inline Dmg::QueueData packet(int recordId, int recipients = 1, int timer = 0, int rejected = 0) {
    Dmg::QueueData p;
    p.recordId = recordId;
    p.packetId = 1000 + recordId;
    p.recipientCount = recipients;
    p.segmentCount = recipients * 2;
    p.timerFlag = timer;
    p.rejected = rejected;
    p.displayText = "text";
    return p;
}

// Waits (bounded) until the service's threads have ended by themselves.
inline bool waitIdle(CSendQueueService& service, std::chrono::seconds limit = std::chrono::seconds(20)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (service.isSendThreadActive() || service.logThreadRunning()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

class QueueTest : public ::testing::Test {
protected:
    QueueTest() {
        settings.packetPauseMs = 0;
        settings.sendFinished = false;
        settings.onPacketDone = [this](int& id, int&) {
            const std::lock_guard<std::mutex> g(doneMutex);
            done.push_back(id);
        };
        settings.onFirstSendFailure = [this](std::string& text) {
            const std::lock_guard<std::mutex> g(doneMutex);
            questions.push_back(text);
            return stopOnFailure.load();
        };
        settings.onSendAborted = [this] { ++aborted; };
    }
    ~QueueTest() override {
        service.reset();
        SMS::CSmsSendLoadMag::instance()->ClearAll();
        settings = saved;
        SMS::NET::CNetInterfaceMag::instance()->setGateway(nullptr);
    }
    std::vector<int> doneIds() {
        const std::lock_guard<std::mutex> g(doneMutex);
        return done;
    }
    void useGateway(std::shared_ptr<SMS::NET::IGateway> g) { SMS::NET::CNetInterfaceMag::instance()->setGateway(g); }

    SMS::CSmsSendStartInstance& settings = *SMS::CSmsSendStartInstance::Instance();
    const SMS::CSmsSendStartInstance saved = settings;
    QueueModel model;
    FakeSendQueue sendStore{model};
    FakeLogQueue logStore{model};
    fakes::ScopedStore sendReg{"sendqueuemodifyW", &sendStore};
    fakes::ScopedStore logReg{"logsendqueue", &logStore};
    fakes::LogCapture log;
    std::unique_ptr<CSendQueueService> service = std::make_unique<CSendQueueService>();
    std::mutex doneMutex;
    std::vector<int> done;
    std::vector<std::string> questions;
    std::atomic<int> aborted{0};
    std::atomic<int> stopOnFailure{0};
};

}  // namespace queuetest
