// The send road for the fault tests: a user folder, the send settings and
// the queue service of one test, restored afterwards; sends to new numbers
// through the real pipeline; the numbers as SQu.dll and HLog.dll hold them.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "contracts/base/StringUtil.h"
#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CHistoryLogSerialize.h"
#include "contracts/dmg/CSendQueueSerialize.h"
#include "contracts/net/CNetInterfaceMag.h"
#include "queue/CSendQueueService.h"
#include "queue/CSmsSendLoadMag.h"
#include "send/CSmsMsgProcessor.h"
#include "send/CSmsSendStartInstance.h"
#include "send/CSmsSender.h"
#include "send/CUserInfo.h"
#include "tests/fakes/RecordingProgressDlg.h"
#include "tests/fakes/TempDir.h"
#include "tests/faults/FaultVfs.h"

namespace faulttest {

const char* const kPassword = "Quenp19990812";
using Packets = std::vector<Dmg::QueueData>;
using Strings = std::vector<std::string>;
using Counts = std::map<std::string, int>;

inline Dmg::CDataManager& data() { return Dmg::CDataManager::getSingleton(); }
inline faults::FaultVfs& vfs() { return faults::FaultVfs::instance(); }

template <typename Store>
Store& store(const char* name) {
    return *static_cast<Store*>(data().getDataSerialize(name));
}

// The numbers of a phone list ("a,b,").
inline Strings split(const std::string& list) { return Base::StringUtil::split(list, ","); }

// One send: its numbers, whether it is timed, and whether its queue write
// was reported to the caller (set on the test's thread only).
struct Send {
    Strings phones;
    bool timed = false;
    bool reported = false;
};

class SendRoad : public ::testing::Test {
protected:
    // Two numbers a packet, no pause between packets; a queued send goes to
    // the threads.
    SendRoad() {
        SMS::CUserInfo::instance()->userDir = dir.path();
        SMS::NET::CNetLogResult terms;
        terms.remainingSms = 100000000;
        terms.firstPackSize = terms.packSize = 2;
        settings.setNetConfigData(terms, SMS::NET::CNetConfigData());
        settings.packetPauseMs = 0;
        settings.onSendPrepared = [] {};
        settings.onPacketsQueued = [this](Packets& packets) {
            sends.back().reported = true;
            SMS::CSmsSendLoadMag::instance()->addSendQueue(packets);
        };
        settings.onPacketDone = [](int&, int&) {};
        settings.onFirstSendFailure = [](std::string&) { return 0; };
        settings.onSendAborted = [] {};
    }
    ~SendRoad() override {
        service.reset();
        SMS::CSmsSendLoadMag::instance()->ClearAll();
        data().closeUserData();
        SMS::NET::CNetInterfaceMag::instance()->setGateway(nullptr);
        settings = saved;
        *SMS::CUserInfo::instance() = savedUser;
    }

    // Sends a text to `recipients` new numbers (a timed send in one packet):
    // the sender's result and error text.
    int send(int recipients, bool timed, std::string* error = nullptr) {
        SMS::CSmsMsgProcessor processor;
        Send s;
        s.timed = timed;
        for (int i = 0; i < recipients; ++i) {
            s.phones.push_back(std::to_string(13800000000LL + nextPhone++));
            int id = 0;
            EXPECT_EQ(processor.addPhone(s.phones.back(), false, false, id), 1);
        }
        processor.setSendMsg("故障测试");
        if (timed) processor.setTimer({2030, 1, 2, 3, 4});
        sends.push_back(s);
        std::string text;
        fakes::RecordingProgressDlg progress;
        return SMS::CSmsSender().send(&processor, error ? *error : text, &progress);
    }

    // The packets in SQu.dll.
    Packets queued() {
        Packets all;
        auto& queue = store<Dmg::CSendQueueSerialize>("sendqueuemodify");
        EXPECT_EQ(queue.initialize(dir.file("SQu.dll"), kPassword), 1);
        EXPECT_EQ(queue.loadAllQueue(all), 1);
        queue.close();
        return all;
    }

    // How often each number is in the queue and the history; `accepted`
    // counts the history rows of accepted packets only.
    Counts stored(Counts* accepted = nullptr) {
        Counts seen;
        for (const auto& p : queued()) {
            for (const auto& phone : split(p.phoneList)) ++seen[phone];
        }
        std::vector<Dmg::CHistoryMsg> history;
        EXPECT_EQ(store<Dmg::CHistoryLogSerialize>("historylog").getAllLog(history), 1);
        for (const auto& h : history) {
            for (const auto& phone : split(h.secondText)) {
                ++seen[phone];
                if (accepted != nullptr) (*accepted)[phone] += h.success ? 1 : 0;
            }
        }
        return seen;
    }

    fakes::TempDir dir;
    faults::ScopedFaultVfs layer;
    SMS::CSmsSendStartInstance& settings = *SMS::CSmsSendStartInstance::Instance();
    const SMS::CSmsSendStartInstance saved = settings;
    const SMS::CUserInfo savedUser = *SMS::CUserInfo::instance();
    std::unique_ptr<CSendQueueService> service = std::make_unique<CSendQueueService>();
    std::vector<Send> sends;
    long long nextPhone = 0;
};

}  // namespace faulttest
