// Recording fakes of the five stores the send pipeline talks to. Every call
// goes, as text, into one shared list, so a test sees the order across
// stores; answers are scripted.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "contracts/dmg/CLocalDataSerialize.h"
#include "contracts/dmg/CRejectPhonesDataSerialize.h"
#include "contracts/dmg/CRejectWordsDataSerialize.h"
#include "contracts/dmg/CSendQueueSerialize.h"
#include "contracts/dmg/CTestPhonesSerialize.h"
#include "tests/fakes/ScopedStore.h"

namespace pipeline {

using Calls = std::vector<std::string>;

struct RejectPhones : Dmg::CRejectPhonesDataSerialize {
    Calls* calls = nullptr;
    std::set<std::string> listed;
    int testPhone(const std::string& phone) override {
        calls->push_back("testPhone(" + phone + ")");
        return listed.count(phone) ? 0 : 1;
    }
};

struct RejectWords : Dmg::CRejectWordsDataSerialize {
    Calls* calls = nullptr;
    std::vector<std::string> words;
    int testWord(const std::string& text, std::string& word) override {
        calls->push_back("testWord(" + text + ")");
        for (const auto& w : words) {
            if (text.find(w) != std::string::npos) return word = w, 0;
        }
        return 1;
    }
};

struct TestPhones : Dmg::CTestPhonesSerialize {
    Calls* calls = nullptr;
    int reAssignSendQueue(std::vector<Dmg::CSendQueueElement>& list) override {
        calls->push_back("reAssignSendQueue(" + std::to_string(list.size()) + ")");
        return 1;
    }
};

struct Local : Dmg::CLocalDataSerialize {
    Calls* calls = nullptr;
    int writeSendLog(const std::string& id, const std::string& extra,
                     const std::string& text) override {
        calls->push_back("writeSendLog(" + id + "," + extra + "," + text + ")");
        return 1;
    }
};

struct Queue : Dmg::CSendQueueSerialize {
    Calls* calls = nullptr;
    int initResult = 1;
    int writeResult = 1;
    int idsToGive = -1;  // -1: one per packet
    std::vector<Dmg::QueueData> written;
    int initialize(const std::string& path, const std::string& password) override {
        calls->push_back("initialize(" + path + "," + password + ")");
        return initResult;
    }
    int close() override { return calls->push_back("close()"), 1; }
    int writeQueue(const std::vector<Dmg::QueueData>& packets, std::vector<int>& ids) override {
        calls->push_back("writeQueue(" + std::to_string(packets.size()) + ")");
        written = packets;
        const int n = idsToGive < 0 ? static_cast<int>(packets.size()) : idsToGive;
        for (int i = 0; i < n; ++i) ids.push_back(101 + i);
        return writeResult;
    }
    int delQueue(const std::vector<int>& ids) override {
        calls->push_back("delQueue(" + std::to_string(ids.size()) + ")");
        return 1;
    }
};

// All five fakes, registered under their store names while this lives.
struct Stores {
    Calls calls;
    RejectPhones phones;
    RejectWords words;
    TestPhones tests;
    Local local;
    Queue queue;
    fakes::ScopedStore s1{"rejectphones", &phones}, s2{"rejectwords", &words},
        s3{"testphonenum", &tests}, s4{"database", &local}, s5{"sendqueuemodify", &queue};
    Stores() { phones.calls = words.calls = tests.calls = local.calls = queue.calls = &calls; }
};

}  // namespace pipeline
