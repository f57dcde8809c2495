// Settings, user and callbacks for one send, restored afterwards.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "send/CSmsMsgProcessor.h"
#include "send/CSmsSendStartInstance.h"
#include "send/CSmsSender.h"
#include "send/CUserInfo.h"
#include "tests/fakes/RecordingProgressDlg.h"

namespace pipeline {

class PipelineTest : public ::testing::Test {
protected:
    SMS::CSmsSendStartInstance& settings = *SMS::CSmsSendStartInstance::Instance();
    SMS::CUserInfo& user = *SMS::CUserInfo::instance();

    void SetUp() override {
        savedSettings_ = settings;
        savedUser_ = user;
        settings.packSize = settings.timedPackSize = 70;
        settings.firstPackSize = 5;
        settings.maxSendCount = settings.maxTimedSendCount = settings.remainingSms = 1000;
        settings.filterContent = 1;
        settings.sendFinished = true;
        settings.onSendPrepared = [this] { ++prepared; };
        settings.onPacketsQueued = [this](std::vector<Dmg::QueueData>& p) { queued = p; };
        user.senderId = "id";
        user.senderExtra = "ex";
        user.userDir = "/u";
    }
    void TearDown() override {
        settings = savedSettings_;
        user = savedUser_;
    }

    // Numbers with one common text (empty: texts of their own, "t" + i).
    static void fill(SMS::CSmsMsgProcessor& p, const std::vector<std::string>& phones,
                     const std::string& common) {
        int id = 0;
        for (std::size_t i = 0; i < phones.size(); ++i) {
            p.addPhone(phones[i], common.empty() ? "t" + std::to_string(i) : "", false, id);
        }
        if (!common.empty()) p.setSendMsg(common);
    }

    int send(SMS::CSmsMsgProcessor& p) { return SMS::CSmsSender().send(&p, error, &progress); }

    int prepared = 0;
    std::vector<Dmg::QueueData> queued;
    std::string error;
    fakes::RecordingProgressDlg progress;

private:
    SMS::CSmsSendStartInstance savedSettings_;
    SMS::CUserInfo savedUser_;
};

}  // namespace pipeline
