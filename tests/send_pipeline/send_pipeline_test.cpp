// The send pipeline against recording fakes of its five stores: every call
// goes, as text, into one list, so the order across stores shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "contracts/dmg/CLocalDataSerialize.h"
#include "contracts/dmg/CRejectPhonesDataSerialize.h"
#include "contracts/dmg/CRejectWordsDataSerialize.h"
#include "contracts/dmg/CSendQueueSerialize.h"
#include "contracts/dmg/CTestPhonesSerialize.h"
#include "send/CSmsMsgProcessor.h"
#include "send/CSmsSendStartInstance.h"
#include "send/CSmsSender.h"
#include "send/CUserInfo.h"
#include "tests/fakes/LogCapture.h"
#include "tests/fakes/RecordingProgressDlg.h"
#include "tests/fakes/ScopedStore.h"

namespace {

using Calls = std::vector<std::string>;
using Elements = std::vector<Dmg::CSendQueueElement>;

// Records a call in the list shared by the five fakes, and answers.
struct Recorder {
    Calls* calls = nullptr;
    int note(const std::string& s, int result = 1) const { return calls->push_back(s), result; }
};

struct RejectPhones : Dmg::CRejectPhonesDataSerialize, Recorder {
    std::set<std::string> listed;
    int testPhone(const std::string& phone) override {
        return note("testPhone(" + phone + ")", listed.count(phone) ? 0 : 1);
    }
};

struct RejectWords : Dmg::CRejectWordsDataSerialize, Recorder {
    std::string word;  // found in a text that holds it; none when empty
    int testWord(const std::string& text, std::string& found) override {
        const bool hit = !word.empty() && text.find(word) != std::string::npos;
        return note("testWord(" + text + ")", hit ? (found = word, 0) : 1);
    }
};

struct TestPhones : Dmg::CTestPhonesSerialize, Recorder {
    int reAssignSendQueue(Elements& list) override {
        return note("reAssignSendQueue(" + std::to_string(list.size()) + ")");
    }
};

struct Local : Dmg::CLocalDataSerialize, Recorder {
    int writeSendLog(const std::string& id, const std::string& extra,
                     const std::string& text) override {
        return note("writeSendLog(" + id + "," + extra + "," + text + ")");
    }
};

struct Queue : Dmg::CSendQueueSerialize, Recorder {
    int initResult = 1, writeResult = 1, idsToGive = -1;  // -1: one per packet
    int initialize(const std::string& path, const std::string& password) override {
        return note("initialize(" + path + "," + password + ")", initResult);
    }
    int close() override { return note("close()"); }
    int writeQueue(const std::vector<Dmg::QueueData>& packets, std::vector<int>& ids) override {
        const int n = idsToGive < 0 ? static_cast<int>(packets.size()) : idsToGive;
        for (int i = 0; i < n; ++i) ids.push_back(101 + i);
        return note("writeQueue(" + std::to_string(packets.size()) + ")", writeResult);
    }
    int delQueue(const std::vector<int>& ids) override {
        return note("delQueue(" + std::to_string(ids.size()) + ")");
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

const Calls kThree = {"13800138000", "13800138001", "13800138002"};
const std::string kTwelve = "今天下午三点开会请准时到";  // 12 characters: 2 segments each
const std::string kOpen = "initialize(/u/SQu.dll,Quenp19990812)";

Calls progressSteps(int n) {
    Calls calls = {"setRange(0,6,1)", "setText(正在进行短信发送预处理...\n\n)"};
    for (int i = 0; i < n; ++i) calls.insert(calls.end(), {"refresh()", "offsetPos(1)"});
    return calls;
}

// Settings, user and callbacks for one send, restored afterwards.
struct PipelineTest : ::testing::Test {
    SMS::CSmsSendStartInstance& settings = *SMS::CSmsSendStartInstance::Instance();
    SMS::CUserInfo& user = *SMS::CUserInfo::instance();
    const SMS::CSmsSendStartInstance savedSettings_ = settings;
    const SMS::CUserInfo savedUser_ = user;

    void SetUp() override {
        settings.packSize = settings.timedPackSize = 70;
        settings.maxSendCount = settings.maxTimedSendCount = settings.remainingSms = 1000;
        settings.filterContent = 1, settings.sendFinished = true;
        settings.onSendPrepared = [this] { ++prepared; };
        settings.onPacketsQueued = [this](std::vector<Dmg::QueueData>& p) { queued = p; };
        user.senderId = "id", user.senderExtra = "ex", user.userDir = "/u";
    }
    void TearDown() override { settings = savedSettings_, user = savedUser_; }

    // Sends `common` to `phones`, or (empty) texts of their own, "t" + index.
    int send(const Calls& phones, const std::string& common, bool timed = false) {
        SMS::CSmsMsgProcessor p;
        int id = 0;
        for (std::size_t i = 0; i < phones.size(); ++i) {
            p.addPhone(phones[i], common.empty() ? "t" + std::to_string(i) : "", false, id);
        }
        if (!common.empty()) p.setSendMsg(common);
        if (timed) p.setTimer(Dmg::CSmsData(2030, 1, 2, 3, 4));
        progress = {}, prepared = 0, queued.clear(), error.clear();
        return SMS::CSmsSender().send(&p, error, &progress);
    }

    int prepared = 0;
    std::vector<Dmg::QueueData> queued;
    std::string error;
    fakes::RecordingProgressDlg progress;
};

TEST_F(PipelineTest, QueuedSendCallsStoresProgressAndLogInOrder) {
    Stores stores;
    stores.phones.listed = {kThree[1]};
    const fakes::LogCapture log;
    ASSERT_EQ(send(kThree, kTwelve), 1);
    EXPECT_EQ(stores.calls,
              (Calls{"testWord(" + kTwelve + ")", "testPhone(" + kThree[0] + ")",
                     "testPhone(" + kThree[1] + ")", "testPhone(" + kThree[2] + ")",
                     "reAssignSendQueue(2)",
                     "writeSendLog(id,ex,发送2条信息,信息含有12个字(不含个性信息))", kOpen,
                     "writeQueue(2)", "close()"}));
    // Each of the seven stages logs its elapsed whole seconds.
    int seconds = 0;
    for (const auto& l : log.texts(0)) seconds += l.find_first_not_of("0123456789") == l.npos;
    EXPECT_EQ(seconds, 7);
    // The rejected number's packet follows, flagged and free of charge.
    std::string packets;
    for (const auto& q : queued) {
        packets += q.phoneList + std::to_string(q.rejected) + std::to_string(q.recordId) + ";";
    }
    EXPECT_EQ(packets, kThree[0] + "," + kThree[2] + ",0101;" + kThree[1] + ",1102;");
    EXPECT_EQ(settings.remainingSms, 1000 - 4);
}

// Three numbers cost 6 segments with the common text, 3 with texts of their
// own. A refusal stores no packet and keeps the balance; one by a limit also
// clears sendFinished. Regression (the last three rows): a queue that could
// not be written was reported as queued, the balance spent and the packets
// sent without a record.
TEST_F(PipelineTest, LimitsBalanceRefusalsAndQueueFailures) {
    const std::string tooMany = "发送短信条数超过系统最大限制！";
    const std::string failed = "写入发送队列失败，请稍后重试！";
    const std::string logged = "writeSendLog(id,ex,发送3条信息,信息含有12个字(不含个性信息))";
    const std::string written = "writeQueue(2)";
    const auto stored = [&](std::string s) { return Calls{s, kOpen, written, "close()"}; };
    const struct {
        // steps of progress; 0: no recipient, 1: a reject word in the text
        int steps, timed, ownTexts, maxSend, maxTimed, remaining;
        int init, write, ids;  // answers of the queue store; ids -1: one per packet
        std::string error;     // empty: accepted
        Calls tail;            // store calls after the test numbers' store
    } rows[] = {
        {0, 0, 0, 9, 9, 9, 1, 1, -1, "请选择需要发送的手机号码", {}},
        {1, 0, 0, 9, 9, 9, 1, 1, -1,
         "此内容含有运营商屏蔽的字符[开会]！请查正后再次进行发送！请严格尊守国家相关法律法规，"
         "否则造成的一切后里，均将承担全部责任！", {}},
        {3, 0, 0, 5, 9, 9, 1, 1, -1, tooMany, {}},
        {3, 1, 0, 9, 5, 9, 1, 1, -1, tooMany, {}},
        {3, 0, 0, 6, 6, 5, 1, 1, -1, "短信剩余条数不足！", {}},
        {6, 0, 0, 6, 0, 6, 1, 1, -1, "", stored(logged)},
        {6, 1, 0, 0, 6, 6, 1, 1, -1, "", stored("writeSendLog(id,ex,发送3条定时信息)")},
        {6, 0, 1, 3, 0, 3, 1, 1, -1, "", stored("writeSendLog(id,ex,发送3条信息)")},
        {5, 0, 0, 6, 6, 6, 0, 1, -1, failed, {logged, kOpen}},
        // all ids, but a failure; too few ids
        {5, 0, 0, 6, 6, 6, 1, 0, -1, failed, {logged, kOpen, written, "delQueue(2)", "close()"}},
        {5, 0, 0, 6, 6, 6, 1, 1, 1, failed, {logged, kOpen, written, "delQueue(1)", "close()"}},
    };
    settings.packSize = settings.timedPackSize = 2;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.error + (row.tail.empty() ? "" : row.tail[0]));
        Stores stores;
        if (row.steps == 1) stores.words.word = "开会";
        stores.queue.initResult = row.init, stores.queue.writeResult = row.write;
        stores.queue.idsToGive = row.ids, settings.sendFinished = true;
        settings.maxSendCount = row.maxSend, settings.maxTimedSendCount = row.maxTimed;
        settings.remainingSms = row.remaining;
        const fakes::LogCapture log;
        const bool accepted = row.error.empty();
        EXPECT_EQ(send(row.steps == 0 ? Calls{} : kThree, row.ownTexts ? "" : kTwelve, row.timed),
                  accepted ? 1 : 0);
        EXPECT_EQ(error, row.error);
        const Calls& calls = stores.calls;
        const auto filtered = std::find(calls.begin(), calls.end(), "reAssignSendQueue(3)");
        EXPECT_EQ(Calls(filtered + (filtered != calls.end()), calls.end()), row.tail);
        EXPECT_EQ(progress.calls, progressSteps(row.steps));
        EXPECT_EQ(prepared, row.steps == 0 ? 0 : 1);
        EXPECT_EQ(bool(settings.sendFinished), row.steps != 3);
        EXPECT_EQ(settings.remainingSms, accepted ? 0 : row.remaining);
        EXPECT_EQ(queued.size(), accepted ? 2u : 0u);
        int failures = 0;  // log lines of the queue writer
        for (const auto& l : log.texts(2)) failures += l.rfind("写入发送队列失败", 0) == 0;
        EXPECT_EQ(failures, row.error == failed ? 1 : 0);
    }
}

struct Sender : SMS::CSmsSender { using SMS::CSmsSender::FliterB; };

// FliterB appends after what the two lists hold; FliterA, by the number
// only, shows in the sends above.
TEST(Filters, FliterBDecidesByPhoneListCheckStateAndOwnText) {
    const struct {
        std::string phone, text;
        int state, sent, wordTests;
    } rows[] = {
        {"13900000000", "ok", 1, 0, 0},      // listed number
        {"13800000001", "坏词", 0, 0, 1},    // untested, reject word
        {"13800000002", "", 0, 0, 1},        // untested, empty
        {"13800000003", "ok", 0, 1, 1},       // untested, clean
        {"13800000004", "ok", -1, 0, 0},     // refused by the composition
        {"13800000005", "坏词", 1, 1, 0},     // clean, not tested again
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.phone);
        Stores stores;
        stores.phones.listed = {"13900000000"}, stores.words.word = "坏词";
        Elements e(1), sent(1), rejected(1);
        e[0].phone = row.phone, e[0].message = row.text, e[0].checkState = row.state;
        Sender().FliterB(e, sent, rejected);
        const Elements& to = row.sent ? sent : rejected;
        EXPECT_EQ(std::to_string(sent.size() + rejected.size()) + to.back().phone, "3" + row.phone);
        EXPECT_EQ(stores.calls.size(), 1u + row.wordTests);
    }
}

}  // namespace
