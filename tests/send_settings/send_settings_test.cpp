#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "send/CSmsSendStartInstance.h"
#include "tests/fakes/LogCapture.h"

namespace {

using Settings = SMS::CSmsSendStartInstance;
using Login = SMS::NET::CNetLogResult;

// Every value the settings take is distinct, so a crossed field shows.
Login distinctLogin() {
    Login l;
    l.mobileCharsPerSms = 70, l.unicomCharsPerSms = 60, l.telecomCharsPerSms = 50;
    l.phsCharsPerSms = 40, l.remainingSms = 999, l.packetPauseMs = 123, l.maxSendCount = 5000;
    l.maxTimedSendCount = 6000, l.packSize = 80, l.firstPackSize = 7, l.timedPackSize = 55;
    l.packetIdSalt = 42, l.filterContent = 0;
    return l;
}

std::vector<int> fields(const Settings& s) {
    return {s.mobileCharsPerSms, s.unicomCharsPerSms, s.telecomCharsPerSms, s.phsCharsPerSms,
            s.remainingSms,      s.packetPauseMs,     s.maxSendCount,       s.maxTimedSendCount,
            s.packSize,          s.firstPackSize,     s.timedPackSize,      s.packetIdSalt,
            s.filterContent,     s.reservedValue};
}

TEST(SendSettings, TakesTheLoginAndRefusesValuesBelowOne) {
    Settings s;
    s.sendFinished = true, s.onSendPrepared = [] {};
    s.setNetConfigData(distinctLogin(), SMS::NET::CNetConfigData());
    const std::vector<int> taken = fields(s);
    EXPECT_EQ(taken,
              (std::vector<int>{70, 60, 50, 40, 999, 123, 5000, 6000, 80, 7, 300, 42, 0, 1}));
    EXPECT_TRUE(s.sendFinished && !s.onSendPrepared.empty());
    const std::pair<const char*, std::int32_t Login::*> divisorsAndSizes[] = {
        {"mobileCharsPerSms", &Login::mobileCharsPerSms},
        {"unicomCharsPerSms", &Login::unicomCharsPerSms},
        {"telecomCharsPerSms", &Login::telecomCharsPerSms},
        {"phsCharsPerSms", &Login::phsCharsPerSms},
        {"packSize", &Login::packSize}, {"firstPackSize", &Login::firstPackSize}};
    for (const auto& [name, member] : divisorsAndSizes) {
        for (const std::int32_t bad : {0, -3}) {
            SCOPED_TRACE(std::string(name) + "=" + std::to_string(bad));
            Login login = distinctLogin();
            login.*member = bad;
            fakes::LogCapture log;
            s.setNetConfigData(login, SMS::NET::CNetConfigData());
            EXPECT_EQ(fields(s), taken);
            EXPECT_EQ(log.texts(2),
                      std::vector<std::string>{"登录设置无效, 未采用: " + std::string(name) + "=" +
                                               std::to_string(bad) + ", 保留 " +
                                               std::to_string(distinctLogin().*member)});
        }
    }
}

TEST(SendSettings, SegmentCounts) {
    // Default prefixes: 138 China Mobile, 130 Unicom, 133 Telecom; 0 is PHS.
    const std::string kYD = "13800138000", kLT = "13012345678";
    Settings s;
    s.setNetConfigData(distinctLogin(), SMS::NET::CNetConfigData());
    std::string gbk70;
    for (int i = 0; i < 35; ++i) gbk70 += "短丂";  // high and low trail bytes
    // clang-format off
    const std::tuple<std::string, std::string, int> rows[] = {
        {kYD, std::string(70, 'a'), 1}, {kYD, std::string(71, 'a'), 2}, {kYD, gbk70, 1},
        {kYD, "", 0}, {kLT, gbk70, 2}, {"13312345678", std::string(90, 'a'), 2},
        {"01012345678", std::string(81, 'a'), 3}, {"1380013800", gbk70, 0}};
    // clang-format on
    for (const auto& [phone, message, segments] : rows) {
        SCOPED_TRACE(phone + " / " + std::to_string(message.size()) + " bytes");
        EXPECT_EQ(s.getSmsSplitNum({phone}, {message}), segments);
    }
    std::vector<Dmg::CSendQueueElement> elements(2);
    elements[0].phone = kLT, elements[0].message = gbk70;
    elements[1].phone = "01012345678", elements[1].message = "abc";
    EXPECT_EQ(s.getSmsSplitNum(elements), 2 + 1);
    EXPECT_EQ(s.getSmsSplitNum({kYD, kYD}, {"abc"}) + s.getSmsSplitNum({kYD}, {"a", "b"}), 0);
    s.mobileCharsPerSms = 0;  // set by hand: no division by zero
    EXPECT_EQ(s.getSmsSplitNum({kYD}, {"abc"}), 3);
}

// For ThreadSanitizer: the sending thread raises the flag of the shared
// settings while the caller reads and copies them.
TEST(SendSettings, SendFinishedIsSafeToReadWhileTheSenderSetsIt) {
    Settings* const shared = Settings::Instance();
    ASSERT_EQ(shared, Settings::ms_pInstance);
    shared->sendFinished = false;
    int sent = 0;
    std::thread sender([&] { sent = 17, shared->sendFinished = true; });  // published by the flag
    Settings snapshot = *shared;
    while (!snapshot.sendFinished) snapshot = *shared;
    EXPECT_EQ(sent, 17);
    sender.join();
    shared->sendFinished = false;
    EXPECT_FALSE(Settings(*shared).sendFinished);
}

}  // namespace
