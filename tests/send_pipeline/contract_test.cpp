#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "tests/fakes/LogCapture.h"
#include "tests/send_pipeline/PipelineFixture.h"
#include "tests/send_pipeline/RecordingStores.h"

namespace pipeline {
namespace {

const std::vector<std::string> kThree = {"13800138000", "13800138001", "13800138002"};
const std::string kTwelve = "今天下午三点开会请准时到";  // 12 characters: 2 segments each

// Level-0 lines, each elapsed-seconds line as "s".
std::vector<std::string> traceLines(const fakes::LogCapture& log) {
    std::vector<std::string> lines = log.texts(0);
    for (auto& line : lines) {
        if (!line.empty() && std::all_of(line.begin(), line.end(), ::isdigit)) line = "s";
    }
    return lines;
}

std::string sendLogCall(const Calls& calls) {
    for (const auto& call : calls) {
        if (call.rfind("writeSendLog(", 0) == 0) return call;
    }
    return std::string();
}

std::vector<std::string> progressPairs(int n) {
    std::vector<std::string> calls = {"setRange(0,6,1)", "setText(正在进行短信发送预处理...\n\n)"};
    for (int i = 0; i < n; ++i) calls.insert(calls.end(), {"refresh()", "offsetPos(1)"});
    return calls;
}

TEST_F(PipelineTest, QueuedSendCallsStoresProgressAndLogInOrder) {
    Stores stores;
    stores.phones.listed = {kThree[1]};
    const fakes::LogCapture log;
    SMS::CSmsMsgProcessor p;
    fill(p, kThree, kTwelve);
    ASSERT_EQ(send(p), 1);
    EXPECT_EQ(stores.calls,
              (Calls{"testWord(" + kTwelve + ")", "testPhone(" + kThree[0] + ")",
                     "testPhone(" + kThree[1] + ")", "testPhone(" + kThree[2] + ")",
                     "reAssignSendQueue(2)",
                     "writeSendLog(id,ex,发送2条信息,信息含有12个字(不含个性信息))",
                     "initialize(/u/SQu.dll,Quenp19990812)", "writeQueue(2)", "close()"}));
    EXPECT_EQ(progress.calls(), progressPairs(6));
    EXPECT_EQ(traceLines(log),
              (Calls{"send Step1", "filtercode_start", "filtercode_end", "s", "filtercode1_start",
                     "filtercode1_end", "s", "测试号码开始", "send Step2", "测试号码结束", "s",
                     "判断是否剩余短信条数足够开始", "send Step3", "判断是否剩余短信条数足够结束",
                     "s", "写发送日志开始", "写发送日志结束", "s", "写队列开始", "send Step4",
                     "send Step4A", "send Step4B", "send Step4C", "send Step4D", "send Step4E",
                     "写队列结束", "s", "开始发送", "send Step5", "send Step6", "结束发送", "s"}));
    // The rejected number's packet follows, flagged and free of charge.
    ASSERT_EQ(queued.size(), 2u);
    EXPECT_EQ(queued[0].phoneList + queued[1].phoneList, kThree[0] + "," + kThree[2] + "," +
                                                             kThree[1] + ",");
    EXPECT_EQ(std::vector<int>({queued[0].rejected, queued[1].rejected}), std::vector<int>({0, 1}));
    EXPECT_EQ(std::vector<int>({queued[0].recordId, queued[1].recordId}),
              std::vector<int>({101, 102}));
    EXPECT_EQ(settings.remainingSms, 1000 - 4);
    EXPECT_EQ(prepared, 1);
    EXPECT_TRUE(error.empty());
}

TEST_F(PipelineTest, RefusalsStopEarlyAndLeaveNothingBehind) {
    struct Row {
        const char* name;
        std::vector<std::string> phones;
        bool timed;
        int maxSend, maxTimed, remaining;
        const char* error;
        int pairs;
        Calls calls;  // after the composition's own calls
    };
    const Calls filtered = {"testPhone(" + kThree[0] + ")", "testPhone(" + kThree[1] + ")",
                            "testPhone(" + kThree[2] + ")", "reAssignSendQueue(3)"};
    const Row rows[] = {
        {"no recipient", {}, false, 1000, 1000, 1000, "请选择需要发送的手机号码", 0, {}},
        {"reject word", kThree, false, 1000, 1000, 1000, "", 1, {}},
        {"limit + 1", kThree, false, 5, 1000, 1000, "发送短信条数超过系统最大限制！", 3, filtered},
        {"timed limit + 1", kThree, true, 1000, 5, 1000, "发送短信条数超过系统最大限制！", 3,
         filtered},
        {"balance + 1", kThree, false, 6, 6, 5, "短信剩余条数不足！", 3, filtered},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Stores stores;
        const bool wordRow = std::string(row.name) == "reject word";
        if (wordRow) stores.words.words = {"开会"};
        settings.maxSendCount = row.maxSend;
        settings.maxTimedSendCount = row.maxTimed;
        settings.remainingSms = row.remaining;
        settings.sendFinished = true;
        progress = fakes::RecordingProgressDlg();
        prepared = 0;
        SMS::CSmsMsgProcessor p;
        fill(p, row.phones, kTwelve);
        if (row.timed) p.setTimer(Dmg::CSmsData(2030, 1, 2, 3, 4));
        EXPECT_EQ(send(p), 0);
        const std::string expected =
            wordRow ? "此内容含有运营商屏蔽的字符[开会]！请查正后再次进行发送！请严格尊守国家相关"
                      "法律法规，否则造成的一切后里，均将承担全部责任！"
                    : row.error;
        EXPECT_EQ(error, expected);
        Calls calls = stores.calls;
        if (!row.phones.empty()) calls.erase(calls.begin());  // the common text's word test
        EXPECT_EQ(calls, row.calls);
        EXPECT_EQ(progress.calls(), progressPairs(row.pairs));
        EXPECT_EQ(prepared, row.phones.empty() ? 0 : 1);
        EXPECT_EQ(bool(settings.sendFinished), row.pairs != 3);
        EXPECT_EQ(settings.remainingSms, row.remaining);
        EXPECT_TRUE(queued.empty());
    }
}

// Each row costs exactly its limit and the whole balance, and passes.
TEST_F(PipelineTest, AcceptedSendsAtTheirLimitsWriteTheirSendLog) {
    struct Row {
        bool timed, ownTexts;
        int maxSend, maxTimed, cost;
        const char* log;
    };
    const Row rows[] = {{false, false, 6, 0, 6, "发送3条信息,信息含有12个字(不含个性信息)"},
                        {true, false, 0, 6, 6, "发送3条定时信息"},
                        {false, true, 3, 0, 3, "发送3条信息"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.log);
        Stores stores;
        settings.maxSendCount = row.maxSend;
        settings.maxTimedSendCount = row.maxTimed;
        settings.remainingSms = row.cost;
        SMS::CSmsMsgProcessor p;
        fill(p, kThree, row.ownTexts ? "" : kTwelve);
        if (row.timed) p.setTimer(Dmg::CSmsData(2030, 1, 2, 3, 4));
        EXPECT_EQ(send(p), 1);
        EXPECT_EQ(settings.remainingSms, 0);
        EXPECT_EQ(sendLogCall(stores.calls), std::string("writeSendLog(id,ex,") + row.log + ")");
    }
}

// Regression: a queue that could not be written was reported as queued, the
// balance spent and the packets sent without a record.
TEST_F(PipelineTest, QueueWriteFailureRefusesAndLeavesNothing) {
    struct Row {
        const char* name;
        int init, write, ids;
        Calls tail;
    };
    const Row rows[] = {
        {"initialize fails", 0, 1, -1, {"initialize(/u/SQu.dll,Quenp19990812)"}},
        {"write fails", 1, 0, 0, {"initialize(/u/SQu.dll,Quenp19990812)", "writeQueue(2)", "close()"}},
        {"too few ids", 1, 1, 1,
         {"initialize(/u/SQu.dll,Quenp19990812)", "writeQueue(2)", "delQueue(1)", "close()"}},
    };
    settings.packSize = 2;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Stores stores;
        stores.queue.initResult = row.init;
        stores.queue.writeResult = row.write;
        stores.queue.idsToGive = row.ids;
        const fakes::LogCapture log;
        progress = fakes::RecordingProgressDlg();
        SMS::CSmsMsgProcessor p;
        fill(p, kThree, kTwelve);
        EXPECT_EQ(send(p), 0);
        EXPECT_EQ(error, "写入发送队列失败，请稍后重试！");
        EXPECT_EQ(Calls(stores.calls.end() - row.tail.size(), stores.calls.end()), row.tail);
        EXPECT_EQ(settings.remainingSms, 1000);
        EXPECT_TRUE(queued.empty());
        EXPECT_EQ(progress.calls(), progressPairs(5));
        const auto failures = log.texts(2);
        EXPECT_EQ(std::count_if(failures.begin(), failures.end(),
                                [](const std::string& l) { return l.rfind("写入发送队列失败", 0) == 0; }),
                  1);
    }
}

}  // namespace
}  // namespace pipeline
