// Bad input at every public entry: each exported operation that takes text or
// numbers is called with every value of a table of nasty values, against the
// real stores of a temporary user folder. A call must give one of its
// documented results and leave its outputs as documented; afterwards the
// data that were there are still there and a plain write still works.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "addressbook/CFriendMag.h"
#include "addressbook/CNetFriendUpload.h"
#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CLocalDataSerialize.h"
#include "contracts/dmg/CLogSendQueueSerialize.h"
#include "contracts/dmg/CRejectPhonesDataSerialize.h"
#include "contracts/dmg/CRejectWordsDataSerialize.h"
#include "contracts/dmg/CSendQueueSerialize.h"
#include "contracts/fileserialize/CFileManager.h"
#include "contracts/net/CEmbeddedGateway.h"
#include "contracts/net/CNetInterfaceMag.h"
#include "contracts/net/CNetTimerSendA.h"
#include "library/CAlertInfoMag.h"
#include "library/CSaveMsgMag.h"
#include "library/CWordMag.h"
#include "phone/CPhoneNumMag.h"
#include "queue/CSmsSendQueueMag.h"
#include "records/CHistoryLogMag.h"
#include "records/CReplyMsgsMag.h"
#include "records/CSmsSendLogMag.h"
#include "records/CTimerSendMag.h"
#include "records/ReplyInbox.h"
#include "send/CSendMsg.h"
#include "send/CSmsMsgProcessor.h"
#include "send/CSmsPacketSendQueue.h"
#include "send/CSmsSendStartInstance.h"
#include "send/CSmsSender.h"
#include "send/CUserInfo.h"
#include "tests/fakes/RecordingProgressDlg.h"
#include "tests/fakes/TempDir.h"

namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;
using Rows = std::map<int, Strings>;

const std::string kPassword = "Quenp19990812";
const std::string kPhone = "13800138000";
const std::string kNotGbk = u8"中文。";

struct Text {
    const char* name;
    std::string value;
};

// 10 MB of double-byte characters and ASCII.
std::string tenMegabytes() {
    std::string text;
    text.reserve((10u << 20) + 8);
    while (text.size() < (10u << 20)) text += "短信a";
    return text;
}

// The huge value comes last, so that it is stored only after every other
// value has been searched for.
const std::vector<Text>& texts() {
    static const std::vector<Text> all = {
        {"empty", ""},
        {"NUL inside", std::string("a\0'b", 4)},
        {"lead byte at the end", "\xD6\xD0\x81"},
        {"lead byte 0xFE at the end", "ab\xFE"},
        {"0x80", "\x80"},
        {"0xFF", "\xFF\xFF"},
        {"UTF-8 that is also GBK", u8"短信"},
        {"UTF-8 that is not GBK", kNotGbk},
        {"SQL", "'; DROP TABLE x; --"},
        {"percent", "%"},
        {"underscore", "_"},
        {"backslash", "\\"},
        {"format", "%s%n"},
        {"long number", "123456789012345678901234567890"},
        {"number with spaces", " 138 0013 8000 "},
        {"negative number", "-1"},
        {"10 MB", tenMegabytes()},
    };
    return all;
}

const struct Number {
    const char* name;
    int value;
} kNumbers[] = {{"INT_MIN", INT_MIN}, {"-1", -1}, {"0", 0}, {"INT_MAX", INT_MAX}};

struct TextEntry {
    const char* name;
    std::function<void(const std::string&)> call;
};

struct NumberEntry {
    const char* name;
    std::function<void(int)> call;
};

// The value itself, or the first kilobyte of the 10 MB one: the whole of it
// goes into one field of each table only, which keeps the run short.
std::string kb(const std::string& value) { return value.substr(0, 1024); }

bool hasNul(const std::string& text) { return text.find('\0') != std::string::npos; }

Strings namesIn(const std::string& folder) {
    Strings names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// The seeds, one of each kind of record, that every call must leave alone.
struct Seeds {
    int contact = 0, group = 0, word = 0, alert = 0, packet = 0;
};

class BadInput : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Dmg::CDataManager::getSingleton().openUserData(dir.path()), 1);
        SMS::CUserInfo::instance()->userDir = dir.path();
        SMS::NET::CNetInterfaceMag::instance()->setGateway(gateway);
        resetSettings();
        seed();
    }
    void TearDown() override {
        settings = savedSettings;
        SMS::NET::CNetInterfaceMag::instance()->setGateway(nullptr);
        Dmg::CDataManager::getSingleton().closeUserData();
    }

    // The settings before the test, with callbacks that keep the queued packets.
    void resetSettings() {
        settings = savedSettings;
        settings.onSendPrepared = [] {};
        settings.onPacketsQueued = [this](std::vector<Dmg::QueueData>& p) { queued = p; };
    }
    void seed();
    void seedQueueAndHistory();
    void expectStoresWork();
    std::vector<TextEntry> textEntries();
    std::vector<NumberEntry> numberEntries();

    fakes::TempDir dir;
    std::shared_ptr<SMS::NET::CEmbeddedGateway> gateway =
        std::make_shared<SMS::NET::CEmbeddedGateway>();
    SMS::CSmsSendStartInstance& settings = *SMS::CSmsSendStartInstance::Instance();
    const SMS::CSmsSendStartInstance savedSettings = settings;
    std::vector<Dmg::QueueData> queued;
    fakes::RecordingProgressDlg progress;
    Seeds seeds;
    Dmg::CTimerMsg timer;  // the seeded timed message, as listed

    SMS::CFriendMag friends;
    SMS::CWordMag words;
    SMS::CAlertInfoMag alerts;
    SMS::CSaveMsgMag saved;
    SMS::CHistoryLogMag history;
    SMS::CReplyMsgsMag replies;
    SMS::CSmsSendLogMag sendLog;
    SMS::CTimerSendMag timers;
    SMS::CSmsSendQueueMag queue;
};

void BadInput::seed() {
    ASSERT_EQ(friends.addRootGroup("朋友", seeds.group), 1);
    Dmg::CFriend contact;
    contact.addPropetyAndValue("名字", "张三");
    contact.addPropetyAndValue("手机", "13912345678");
    ASSERT_EQ(friends.addFriend(contact, {seeds.group}, seeds.contact), 1);
    Dmg::CWord word;
    word.addPropetyAndValue("内容", "春节快乐");
    std::vector<int> ids;
    ASSERT_EQ(words.addWord(word, {}, ids), 2);
    seeds.word = ids.at(0);
    Dmg::CAlertInfo alert;
    for (const char* p : {"提醒类型", "名字", "内容"}) alert.addPropetyAndValue(p, "生日");
    alert.addPropetyAndValue("手机", "13512345678");
    ids.clear();
    ASSERT_EQ(alerts.addAlertInfo(alert, {}, ids), 2);
    seeds.alert = ids.at(0);
    ASSERT_EQ(saved.saveMsg("明天见"), 1);
    gateway->injectReply("13700000000", "收到", Dmg::CSmsData(2026, 3, 7, 8, 5));
    ASSERT_EQ(SMS::records::storeReplies(*gateway), 1);
    seedQueueAndHistory();
    SMS::NET::CNetTimerSendA scheduled;  // kept by the service as "TM1", in group 7
    scheduled.timerId = 7, scheduled.phones = {kPhone}, scheduled.commonText = "种子";
    Dmg::QueueData packet;
    scheduled.getPacketT(packet.packetText);
    packet.commonMsg = 1, packet.timerFlag = 1;
    ASSERT_EQ(gateway->send(packet).serviceKey, "TM1");
    ASSERT_EQ(timers.loadAllTimerInfo(), 1);
    ASSERT_EQ(timers.timerList.size(), 1u);
    timer = timers.timerList[0];
}

// A waiting packet, and a timed one the service accepted, moved by the log
// thread's steps into the history and the timed messages.
void BadInput::seedQueueAndHistory() {
    const std::string squ = dir.file("SQu.dll");
    std::vector<Dmg::QueueData> packets(2);
    for (Dmg::QueueData& p : packets) {
        p.displayText = "种子", p.phoneList = kPhone + ",", p.recipientCount = 1;
        p.queuedTime = Dmg::CSmsData(2024, 5, 6, 7, 8);
    }
    packets[1].timerFlag = 1, packets[1].timerId = 7, packets[1].commonMsg = 1;
    std::vector<int> ids;
    Dmg::CSendQueueSerialize store;
    ASSERT_EQ(store.initialize(squ, kPassword), 1);
    ASSERT_EQ(store.writeQueue(packets, ids), 1);
    ASSERT_EQ(store.setServiceKey(ids[1], "TM1") + store.modifyStatus(ids[1], 1), 2);
    store.close();
    seeds.packet = ids[0];
    Dmg::CLogSendQueueSerialize mover;
    std::vector<Dmg::QueueData> done;
    std::vector<int> doneIds;
    ASSERT_EQ(mover.initializeHistroyDB(dir.file("HLog.dll"), kPassword) +
                  mover.initializeSendQueueDB(squ, kPassword) +
                  mover.initializeMainDB(dir.file("Main.dll"), kPassword),
              3);
    ASSERT_EQ(
        mover.getAllSendData(done, doneIds) + mover.writeLog(done) + mover.deleteSendData(doneIds),
        3);
    mover.closeSendQueueDB(), mover.closeHistoryDB(), mover.closeMainDB();
}

// Every seed is still there and nothing else is (every entry removes what it
// added), and the stores still take a write.
void BadInput::expectStoresWork() {
    SMS::CFriendMag f;
    Dmg::CFriend contact;
    std::vector<Dmg::CFriendGroup> groups;
    EXPECT_EQ(f.getFriendInfo(seeds.contact, contact, groups), 1);
    EXPECT_EQ(contact.getFirendStrut().name + std::to_string(groups.size()), "张三1");
    EXPECT_EQ(f.modifyFriend(seeds.contact, contact), 1);
    EXPECT_EQ(f.selectFriendNum("名字", "") + f.getCurFriendNum(), 2);
    groups.clear();
    EXPECT_EQ(f.getRootGroup(groups) + static_cast<int>(groups.size()), 3);
    SMS::CWordMag w;
    Dmg::CWord word;
    EXPECT_EQ(w.getWordInfo(seeds.word, word), 1);
    EXPECT_EQ(word.getWordStrut().content, "春节快乐");
    EXPECT_EQ(w.SelectWordByContent("") + w.getCurWordNum(), 2);
    std::vector<Dmg::CWordGroup> wordGroups;
    EXPECT_EQ(w.getRootGroup(wordGroups) + static_cast<int>(wordGroups.size()), 2);
    SMS::CAlertInfoMag a;
    Dmg::CAlertInfo alert;
    EXPECT_EQ(a.getAlertInfoInfo(seeds.alert, alert), 1);
    EXPECT_EQ(alert.getAlertInfoStrut().phoneNum, "13512345678");
    EXPECT_EQ(a.selectAlertInfoNum("", "") + a.getCurAlertInfoNum(), 2);
    std::vector<Dmg::CAlertInfoGroup> alertGroups;
    EXPECT_EQ(a.getRootGroup(alertGroups) + static_cast<int>(alertGroups.size()), 2);
    SMS::CSaveMsgMag s;
    std::vector<Dmg::CSaveMsg> texts;
    EXPECT_EQ(s.readAllSaveMsg() + s.getSaveMsg(0, 5, texts), 2);
    EXPECT_TRUE(texts.size() == 1 && texts[0].text == "明天见");
    SMS::CReplyMsgsMag r;
    EXPECT_EQ(r.loadAll() + r.getLogNum(), 2);
    SMS::CHistoryLogMag h;
    EXPECT_EQ(h.loadAllLog() + h.getLogNum(), 2);
    SMS::CTimerSendMag t;
    EXPECT_EQ(t.loadAllTimerInfo() + t.getListInfoNum(), 2);
    EXPECT_EQ(gateway->scheduledCount(), 1u);
    SMS::CSmsSendQueueMag q;
    Dmg::QueueData packet;
    EXPECT_EQ(q.loadSendMsg() + q.getMsgNum() + q.getSendQueue(seeds.packet, packet), 3);
}

std::vector<TextEntry> BadInput::textEntries() {
    using V = const std::string&;
    return {
        // Address book.
        {"CFriendMag contact add, read, delete",
         [this](V v) {
             Dmg::CFriend contact;
             contact.addPropetyAndValue("注释", v);
             for (const char* p : {"名字", "手机"}) contact.addPropetyAndValue(p, kb(v));
             int id = 0;
             ASSERT_EQ(friends.addFriend(contact, {}, id), 1);
             Dmg::CFriend back;
             EXPECT_EQ(friends.getFriendInfo(id, back), 1);
             const auto& d = back.getFirendStrut();
             EXPECT_TRUE(d.comment == v && d.name == kb(v) && d.mobile == kb(v));
             EXPECT_EQ(friends.delFriend(id), 2);
         }},
        {"CFriendMag::selectFriendNum",
         [this](V v) {
             for (const char* label : {"名字", "手机", "电话", "邮箱", "公司", "职业", "地址",
                                       "邮编", "生日短语内容", "注释", "备用1", "备用6"}) {
                 SCOPED_TRACE(label);
                 EXPECT_EQ(friends.selectFriendNum(label, v), 1);
                 EXPECT_EQ(friends.getCurFriendNum(), v.empty() ? 1 : 0);
             }
             for (const char* label : {"ID", "所属组ID", "性别", "婚否", "发送生日提醒", "生日提醒",
                                       "个性签名", "生日"}) {
                 SCOPED_TRACE(label);
                 EXPECT_EQ(friends.selectFriendNum(label, v), 1);
                 EXPECT_LE(friends.getCurFriendNum(), 1);
             }
             EXPECT_EQ(friends.selectFriendNum(v, "张三") + friends.getCurFriendNum(), 0);
         }},
        {"CFriendMag groups",
         [this](V v) {
             int root = 0, sub = 0;
             std::vector<Dmg::CFriendGroup> found;
             ASSERT_EQ(friends.addRootGroup(v, root), 1);
             ASSERT_EQ(friends.addSubGroup(root, kb(v), sub), 1);
             EXPECT_EQ(friends.addSubGroup(root, kb(v)) + friends.renameGroup(sub, kb(v)), 2);
             EXPECT_EQ(friends.getSubGroup(root, found), 1);
             ASSERT_EQ(found.size(), 2u);
             EXPECT_TRUE(found[0].name == kb(v) && found[1].name == kb(v));
             EXPECT_EQ(friends.getRootGroup(found), 1);
             EXPECT_EQ(found.back().name, v);
             EXPECT_EQ(friends.delGroup(root), 1);
             ASSERT_EQ(friends.addRootGroup(kb(v)), 1);
             found.clear();
             friends.getRootGroup(found);
             ASSERT_EQ(found.back().name, kb(v));
             EXPECT_EQ(friends.delGroup(found.back().id), 1);
         }},
        {"CFriendMag::importFriend",
         [this](V v) {
             std::vector<Strings> rows = {{v, v, v, v}, {kPhone, kb(v), kb(v), kb(v)}};
             ASSERT_EQ(friends.importFriend(rows, {"手机", "名字", v, "生日"}, {}), 1);
             EXPECT_EQ(friends.selectFriendNum("手机", kPhone) + friends.getCurFriendNum(), 2);
             std::vector<Dmg::CFriend> found;
             friends.getAllFriend(found);
             EXPECT_EQ(found.at(0).getFirendStrut().name, kb(v));
             EXPECT_EQ(friends.delCurSelect(), 1);
         }},
        // Phrases, reminders, saved messages.
        {"CWordMag phrase add, read, modify, delete",
         [this](V v) {
             Dmg::CWord word;
             word.addPropetyAndValue("内容", v);
             std::vector<int> ids;
             ASSERT_EQ(words.addWord(word, {}, ids), 2);
             Dmg::CWord back;
             EXPECT_EQ(words.getWordInfo(ids.at(0), back), 1);
             EXPECT_EQ(back.getWordStrut().content, v);
             word.addPropetyAndValue("内容", kb(v));
             EXPECT_EQ(words.modifyWord(ids[0], word) + words.delWord(ids[0]), 1 + 2);
         }},
        {"CWordMag searches",
         [this](V v) {
             EXPECT_EQ(words.SelectWordByContent(v), 1);
             EXPECT_EQ(words.getCurWordNum(), v.empty() ? 1 : 0);
             EXPECT_EQ(words.selectWordNum(v, v), 1);
             EXPECT_EQ(words.getCurWordNum(), v.empty() ? 1 : 0);
         }},
        {"CWordMag groups and import",
         [this](V v) {
             int root = 0, sub = 0;
             ASSERT_EQ(words.addRootGroup(kb(v), root) + words.addSubGroup(root, kb(v), sub), 2);
             EXPECT_EQ(words.renameGroup(sub, kb(v)), 1);
             std::vector<Dmg::CWordGroup> found;
             EXPECT_EQ(words.getSubGroup(root, found), 1);
             EXPECT_TRUE(found.size() == 1 && found[0].name == kb(v));
             Rows rows = {{0, {kb(v), kb(v)}}};
             ASSERT_EQ(words.importWord(rows, {sub}), 1);
             EXPECT_EQ(words.getGroupWordNum(sub) + words.getCurWordNum(), 2);
             std::vector<Dmg::CWord> shown;
             words.init(1);
             EXPECT_EQ(words.getWord(0, 0, shown), 1);
             EXPECT_EQ(shown.at(0).getWordStrut().content, kb(v) + kb(v));
             EXPECT_EQ(words.delGroup(root), 1);
         }},
        {"CAlertInfoMag reminder add, read, modify, delete",
         [this](V v) {
             Dmg::CAlertInfo info;
             for (const char* p : {"提醒类型", "名字", "手机", "激活时间"})
                 info.addPropetyAndValue(p, kb(v));
             info.addPropetyAndValue("内容", v);
             std::vector<int> ids;
             ASSERT_EQ(alerts.addAlertInfo(info, {}, ids), 2);
             Dmg::CAlertInfo back;
             EXPECT_EQ(alerts.getAlertInfoInfo(ids.at(0), back), 1);
             const auto& d = back.getAlertInfoStrut();
             EXPECT_TRUE(d.content == v && d.alertType == kb(v) && d.ownerName == kb(v) &&
                         d.phoneNum == kb(v));
             info.addPropetyAndValue("内容", kb(v));
             EXPECT_EQ(alerts.modifyAlertInfo(ids[0], info) + alerts.delAlertInfo(ids[0]), 1 + 2);
         }},
        {"CAlertInfoMag searches and groups",
         [this](V v) {
             EXPECT_EQ(alerts.selectAlertInfoNum(v, v), 1);
             EXPECT_EQ(alerts.getCurAlertInfoNum(), v.empty() ? 1 : 0);
             int root = 0, sub = 0;
             ASSERT_EQ(alerts.addRootGroup(kb(v), root) + alerts.addSubGroup(root, kb(v), sub), 2);
             EXPECT_EQ(alerts.renameGroup(sub, kb(v)), 1);
             std::vector<Dmg::CAlertInfoGroup> found;
             EXPECT_EQ(alerts.getSubGroup(root, found), 1);
             EXPECT_TRUE(found.size() == 1 && found[0].name == kb(v));
             EXPECT_EQ(alerts.delGroup(root), 1);
         }},
        {"CSaveMsgMag save, search, delete",
         [this](V v) {
             ASSERT_EQ(saved.saveMsg(v), 1);
             EXPECT_EQ(saved.selectSaveMsg(v) + saved.getMsgNum(), v.empty() ? 3 : 2);
             std::vector<Dmg::CSaveMsg> found;
             saved.getSaveMsg(0, 2, found);
             ASSERT_EQ(found.back().text, v);
             EXPECT_EQ(saved.delSaveMsg(found.back().number), 2);
         }},
        // Records.
        {"CHistoryLogMag::select",
         [this](V v) {
             EXPECT_EQ(history.select(Dmg::CSmsData(), Dmg::CSmsData(), true, v), 1);
             EXPECT_EQ(history.getLogNum(), v.empty() ? 1 : 0);
         }},
        {"CReplyMsgsMag::select, storeReplies, delSelect",
         [this](V v) {
             Dmg::CSmsData from, to;
             std::string key = v;
             EXPECT_EQ(replies.select(from, to, key), 1);
             EXPECT_EQ(replies.getLogNum(), v.empty() ? 1 : 0);
             gateway->injectReply(kb(v), v, Dmg::CSmsData());
             ASSERT_EQ(SMS::records::storeReplies(*gateway), 1);
             ASSERT_EQ(replies.loadAll() + replies.getLogNum(), 3);
             std::vector<Dmg::ReplyData> last;
             replies.getLog(1, 1, last);
             EXPECT_TRUE(last.at(0).phone == kb(v) && last[0].text == v);
             EXPECT_EQ(replies.delSelect(last), 1);
         }},
        {"CTimerSendMag::select, deleteSelectList",
         [this](V v) {
             EXPECT_EQ(timers.select(v), 1);
             EXPECT_EQ(timers.getListInfoNum(), v.empty() ? 1 : 0);
             Dmg::CTimerMsg msg = timer;
             msg.serviceKey = v;  // a key the service does not know: nothing is deleted
             EXPECT_EQ(timers.loadAllTimerInfo() + timers.deleteSelectList({msg}, &progress), 2);
             EXPECT_EQ(timers.deleteReport, "正确删除0条定时信息  删除失败记录:1");
         }},
        // Sending.
        {"CSmsMsgProcessor recipients that are no number",
         [](V v) {
             SMS::CSmsMsgProcessor p;
             Dmg::CFriend contact;
             contact.addPropetyAndValue("手机", v);
             int id = 99;
             const bool lead = true;
             EXPECT_EQ(p.addPhone(v, contact, "m", true, id) + p.addPhone(v, contact, true, id) +
                           p.addPhone(v, std::string("m"), true, id) +
                           p.addPhone(v, "m", true, id) + p.addPhone(v, lead, true, id) +
                           p.addPhone(contact, true, id) + p.addPhoneHistory(v, "m", id),
                       -7);
             EXPECT_EQ(id, 99);
             EXPECT_EQ(p.delPhone(v, 1) + p.setPhone(v, contact) + p.setPhoneMsg(v, v), 3);
             int yd = 1, lt = 1, dx = 1, xlt = 1;
             p.getPhoneNum(yd, lt, dx, xlt);
             EXPECT_EQ(yd + lt + dx + xlt, 0);
             std::vector<Dmg::CSendQueueElement> out;
             EXPECT_EQ(p.getSendQueue(out, true) + static_cast<int>(out.size()), 0);
         }},
        {"CSmsMsgProcessor texts",
         [](V v) {
             SMS::CSmsMsgProcessor common, personal;
             int id = 0;
             ASSERT_EQ(common.addPhone(kPhone, v, false, id), 1);
             common.setSendMsg(v), common.setCompanyEnder(kb(v)), common.setPersonalSms(true);
             EXPECT_TRUE(common.filterMsg(v));
             Dmg::CFriend contact;
             contact.addPropetyAndValue("名字", v);
             ASSERT_EQ(personal.addPhone(kPhone, contact, false, id), 1);
             personal.setSendMsg("<姓名>" + kb(v)), personal.setPersonalSms(true);
             std::vector<Dmg::CSendQueueElement> out;
             ASSERT_EQ(common.getSendQueue(out, true) + personal.getSendQueue(out, true), 2);
             ASSERT_EQ(out.size(), 2u);
             EXPECT_EQ(out[0].message, v + kb(v));
             EXPECT_EQ(out[1].message, v + kb(v));
         }},
        {"reject lists: CSmsMsgProcessor::filterMsg, CSmsSender::send",
         [this](V v) {
             auto* const words = static_cast<Dmg::CRejectWordsDataSerialize*>(
                 Dmg::CDataManager::getSingleton().getDataSerialize("rejectwords"));
             auto* const phones = static_cast<Dmg::CRejectPhonesDataSerialize*>(
                 Dmg::CDataManager::getSingleton().getDataSerialize("rejectphones"));
             ASSERT_EQ(words->setRejectWords({kb(v)}) + phones->setRejectPhones({kb(v)}), 2);
             SMS::CSmsMsgProcessor p;
             const std::string holding = "x" + v + " ";
             EXPECT_EQ(p.filterMsg(holding), v.empty());
             EXPECT_TRUE(p.filterMsg("春节快乐"));
             int id = 0;
             ASSERT_EQ(p.addPhone(kPhone, false, true, id), 1);
             settings.remainingSms = 1000;
             std::string error;
             for (const std::string& text : {std::string("春节快乐"), holding}) {
                 p.setSendMsg(text);
                 queued.clear();
                 const int sent = SMS::CSmsSender().send(&p, error, &progress);
                 EXPECT_EQ(sent, text == holding && !v.empty() ? 0 : 1);
                 if (sent == 0) continue;
                 EXPECT_TRUE(queued.size() == 1 && queued[0].rejected == 0);  // not a listed number
                 queue.delSendMsg({queued.at(0).recordId});
             }
             EXPECT_EQ(words->setRejectWords({}) + phones->setRejectPhones({}), 2);
         }},
        {"CSmsMsgProcessor::urlencode, urldecode",
         [](V v) {
             int length = -1;
             const std::unique_ptr<char, decltype(&std::free)> encoded(
                 SMS::CSmsMsgProcessor::urlencode(v.data(), static_cast<int>(v.size()), &length),
                 &std::free);
             ASSERT_NE(encoded, nullptr);
             std::string buffer(encoded.get(), static_cast<std::size_t>(length));
             const int decoded = SMS::CSmsMsgProcessor::urldecode(&buffer[0], length);
             EXPECT_EQ(buffer.substr(0, static_cast<std::size_t>(decoded)), v);
         }},
        {"CSendMsg",
         [](V v) {
             SMS::CSendMsg msg;
             Dmg::CFriend contact;
             contact.addPropetyAndValue("名字", v);
             std::string pure, filled;
             std::vector<std::string> values{"x"};
             EXPECT_EQ(msg.setMsg(v) + msg.getPureMsg(pure) + msg.getMsg(contact, filled) +
                           msg.getPersonalInfo(contact, values),
                       4);
             EXPECT_TRUE(pure == v && filled == v && values.empty());
             const int chars = msg.getMsgWord(v);
             EXPECT_TRUE(2 * static_cast<std::size_t>(chars) >= v.size() &&
                         static_cast<std::size_t>(chars) <= v.size());
         }},
        {"CSmsSender::send",
         [this](V v) {
             SMS::CUserInfo::instance()->senderId = kb(v);
             SMS::CUserInfo::instance()->senderExtra = kb(v);
             settings.maxSendCount = INT_MAX, settings.remainingSms = 1000000000;
             SMS::CSmsMsgProcessor p;
             int id = 0;
             ASSERT_EQ(p.addPhone(kPhone, false, true, id), 1);
             p.setSendMsg(v);
             std::string error;
             queued.clear();
             ASSERT_EQ(SMS::CSmsSender().send(&p, error, &progress), 1) << error;
             ASSERT_EQ(queued.size(), 1u);
             EXPECT_EQ(queued[0].displayText, v);
             Dmg::QueueData stored;
             EXPECT_EQ(queue.loadSendMsg() + queue.getSendQueue(queued[0].recordId, stored), 2);
             EXPECT_EQ(stored.packetText, queued[0].packetText);
             EXPECT_EQ(queue.delSendMsg({queued[0].recordId}), 1);
             EXPECT_EQ(sendLog.loadAll(), 1);
             std::vector<Dmg::CSendLosgMsg> log;
             sendLog.getLog(sendLog.getLogNum() - 1, 1, log);
             EXPECT_TRUE(log.at(0).secondText == kb(v) && log[0].thirdText == kb(v));
         }},
        {"CSmsSendStartInstance segments",
         [this](V v) {
             const int chars = SMS::CSendMsg().getMsgWord(v);
             const int per = settings.mobileCharsPerSms;
             EXPECT_EQ(settings.segmentCount(v, "x"), 0);
             EXPECT_EQ(settings.segmentCount(kPhone, v), (chars + per - 1) / per);
             EXPECT_EQ(
                 settings.getSmsSplitNum({v}, {v}) + settings.getSmsSplitNum({kPhone}, {v, v}), 0);
             std::vector<Dmg::CSendQueueElement> elements(2);
             elements[0].phone = kPhone, elements[0].message = v, elements[1].phone = v;
             EXPECT_EQ(settings.getSmsSplitNum(elements), (chars + per - 1) / per);
         }},
        {"CSmsPacketSendQueue::Pack, UnPack",
         [](V v) {
             for (const int timed : {0, 1}) {
                 for (const bool common : {true, false}) {
                     SCOPED_TRACE((timed ? "timed, " : "") +
                                  std::string(common ? "common" : "own"));
                     std::vector<Dmg::CSendQueueElement> elements(2);
                     elements[0].phone = kPhone, elements[1].phone = kb(v);
                     elements[0].message = v, elements[1].message = kb(v);
                     for (auto& e : elements) e.timerFlag = timed, e.commonMsg = common;
                     std::vector<Dmg::QueueData> packets;
                     int segments = -1, type = 0;
                     ASSERT_EQ(SMS::CSmsPacketSendQueue().Pack(elements, packets, segments), 1);
                     ASSERT_EQ(packets.size(), 1u);
                     Strings phones, messages;
                     ASSERT_EQ(SMS::CSmsPacketSendQueue::UnPack(packets[0], phones, messages, type),
                               1);
                     EXPECT_EQ(phones, (Strings{kPhone, kb(v)}));
                     EXPECT_EQ(messages, common ? Strings{v} : (Strings{v, kb(v)}));
                     Dmg::QueueData garbage = packets[0];
                     garbage.packetText = v;
                     phones = messages = {"kept"};
                     EXPECT_EQ(SMS::CSmsPacketSendQueue::UnPack(garbage, phones, messages, type),
                               0);
                     EXPECT_TRUE(phones == Strings{"kept"} && messages == Strings{"kept"});
                 }
             }
         }},
        // Numbers and records.
        {"CPhoneNumMag",
         [](V v) {
             const SMS::CPhoneNumMag& shared = *SMS::CPhoneNumMag::inistance();
             EXPECT_FALSE(shared.IsPhoneNum(v) || shared.isYDNumber(v) || shared.isLTNumber(v) ||
                          shared.isDXNumber(v) || shared.isXLTNumber(v));
             SMS::CPhoneNumMag own;
             own.Init({v}, {v}, {v});
             EXPECT_FALSE(own.IsPhoneNum(v) || own.IsPhoneNum(kPhone));
         }},
        {"Dmg::CFriend properties",
         [](V v) {
             for (const char* p : {"名字", "手机", "电话", "邮箱", "公司", "职业", "地址", "邮编",
                                   "生日短语内容", "尊称", "注释", "备用1", "备用6"}) {
                 Dmg::CFriend contact;
                 std::string back;
                 EXPECT_EQ(contact.addPropetyAndValue(p, v) + contact.getValue(p, back), 2);
                 EXPECT_EQ(back, v) << p;
             }
             Dmg::CFriend contact;
             std::string first, second;
             for (const char* p : {"性别", "婚否", "个性签名", "ID", "所属组ID", "生日"}) {
                 EXPECT_EQ(contact.addPropetyAndValue(p, v) + contact.getValue(p, first), 2) << p;
                 EXPECT_EQ(contact.addPropetyAndValue(p, first) + contact.getValue(p, second), 2);
                 EXPECT_EQ(first, second) << p;  // the text form reads back as itself
             }
             std::string untouched = "x";
             EXPECT_EQ(contact.addPropetyAndValue(v, "x") + contact.getValue(v, untouched), 0);
             EXPECT_EQ(untouched, "x");
         }},
        {"Dmg::CWord, Dmg::CAlertInfo properties",
         [](V v) {
             Dmg::CWord word;
             Dmg::CAlertInfo info;
             std::map<std::string, std::string> first, second;
             word.addPropetyAndValue("内容", v), word.addPropetyAndValue("添加时间", kb(v));
             for (const char* p : {"提醒类型", "名字", "手机", "激活时间", "添加时间"})
                 info.addPropetyAndValue(p, kb(v));
             info.addPropetyAndValue("内容", v);
             EXPECT_EQ(word.addPropetyAndValue(v, "x") + info.addPropetyAndValue(v, "x"), 0);
             word.getPropetyAndValueMap(first);
             EXPECT_EQ(first.at("内容"), v);
             for (const auto& [name, text] : first) word.addPropetyAndValue(name, text);
             word.getPropetyAndValueMap(second);
             EXPECT_EQ(first, second);
             info.getPropetyAndValueMap(first);
             EXPECT_TRUE(first.at("内容") == v && first.at("手机") == kb(v));
             for (const auto& [name, text] : first) info.addPropetyAndValue(name, text);
             info.getPropetyAndValueMap(second);
             EXPECT_EQ(first, second);
         }},
        // User folders.
        {"CUserInfo::userDir: queue view, send, upload",
         [this](V v) {
             const Strings before = namesIn(dir.path());
             SMS::CUserInfo::instance()->userDir = dir.path() + "/" + v;
             SMS::CSmsSendQueueMag view;
             EXPECT_EQ(view.loadSendMsg() + view.getMsgNum(), v.empty() ? 2 : 1);
             SMS::CSmsMsgProcessor p;
             int id = 0;
             ASSERT_EQ(p.addPhone(kPhone, false, true, id), 1);
             p.setSendMsg("x");
             std::string error;
             const int balance = settings.remainingSms;
             const int sent = SMS::CSmsSender().send(&p, error, &progress);
             EXPECT_EQ(sent, v.empty() ? 1 : 0);
             EXPECT_EQ(settings.remainingSms, balance - sent);
             if (sent == 1) view.delSendMsg({queued.at(0).recordId});
             SMS::CNetFriendUpload().Upload();
             SMS::CUserInfo::instance()->userDir = dir.path();
             EXPECT_EQ(namesIn(dir.path()), before);  // no file made under another name
         }},
        // Files.
        {"CFileManager cells and file contents",
         [this](V v) {
             FileSerialize::CFileManager& files = FileSerialize::CFileManager::getSingleton();
             const std::string path = dir.file("cells.csv");
             const Rows rows = {{0, {v}}, {1, {kb(v), "", kb(v)}}};
             Rows back = {{9, {"x"}}};
             const int exported = files.exportToFile(path, rows);
             EXPECT_EQ(exported, hasNul(v) || v == kNotGbk ? 0 : 1);  // no file form
             EXPECT_EQ(files.importFromFile(path, back), exported);
             EXPECT_EQ(back, exported == 1 ? rows : Rows());
             std::ofstream(path, std::ios::binary | std::ios::trunc) << v;
             back = {{9, {"x"}}};
             const int imported = files.importFromFile(path, back);
             EXPECT_EQ(imported, hasNul(v) ? 0 : 1);
             EXPECT_TRUE(imported == 1 || back.empty());
             fs::remove(path);
         }},
        {"file names of every export and import",
         [this](V v) {
             const std::string folder = dir.file("names"), path = folder + "/" + v;
             const bool writable = !v.empty() && !hasNul(v) && v.size() < 256;
             const Rows rows = {{0, {"a"}}};
             std::string replyPath = path;
             SMS::CSaveMsgMag savedView;  // empty caches: those of the table hold NUL bytes
             SMS::CReplyMsgsMag replyView;
             SMS::CSmsSendLogMag sendLogView;
             const std::function<int()> exports[] = {
                 [&] {
                     return FileSerialize::CFileManager::getSingleton().exportToFile(path, rows);
                 },
                 [&] { return friends.exportFriend(path, {}); },
                 [&] { return words.exportWord(path, {}); },
                 [&] { return alerts.exportAlertInfo(path, {}); },
                 [&] { return savedView.exportAll(path); },
                 [&] { return history.exportLog(path, {}); },
                 [&] { return replyView.ExportAll(replyPath); },
                 [&] { return sendLogView.ExportAll(path); },
             };
             // The managers hand the name on as it is: only names that must
             // fail go through every one of them (a written file costs a sync).
             for (std::size_t i = 0; i < (writable ? 1 : std::size(exports)); ++i) {
                 fs::create_directory(folder);
                 EXPECT_EQ(exports[i](), writable ? 1 : 0);
                 // Written under exactly that name, or nothing written at all.
                 EXPECT_EQ(namesIn(folder), writable ? Strings{v} : Strings{});
                 Rows back = {{9, {"x"}}};
                 EXPECT_EQ(friends.parseFile(path, back), writable ? 1 : 0);
                 EXPECT_TRUE(writable || back.empty());
                 fs::remove_all(folder);
             }
             // A name cut short at its NUL byte names another file.
             const std::string cut = v.substr(0, v.find('\0'));
             if (cut == v) return;
             fs::create_directory(folder);
             std::ofstream(folder + "/" + cut) << "other";
             Rows back;
             EXPECT_EQ(FileSerialize::CFileManager::getSingleton().importFromFile(path, back), 0);
             EXPECT_TRUE(back.empty());
             fs::remove_all(folder);
         }},
    };
}

std::vector<NumberEntry> BadInput::numberEntries() {
    return {
        {"CFriendMag ids",
         [this](int n) {
             Dmg::CFriend contact;
             std::vector<Dmg::CFriendGroup> groups;
             EXPECT_EQ(friends.getFriendInfo(n, contact) +
                           friends.getFriendInfo(n, contact, groups) +
                           friends.modifyFriend(n, contact),
                       0);
             EXPECT_EQ(friends.delFriend(n), 1);
             EXPECT_EQ(friends.addFriGroupRelation(n, seeds.group) +
                           friends.addFriGroupRelation(seeds.contact, n) +
                           friends.delFriGroupRelation(seeds.contact, n) +
                           friends.delFriGroupRelation(n, seeds.group),
                       0);
         }},
        {"CFriendMag groups",
         [this](int n) {
             int id = -5;
             std::vector<Dmg::CFriendGroup> found;
             EXPECT_EQ(friends.addSubGroup(n, "x", id) + friends.addSubGroup(n, "x") +
                           friends.renameGroup(n, "x") + friends.delGroup(n),
                       0);
             EXPECT_EQ(friends.getSubGroup(n, found), 1);
             EXPECT_EQ(found.size(), n == 0 ? 2u : 0u);  // the root groups have parent 0
             EXPECT_EQ(friends.getGroupFriendNum(n) + friends.getCurFriendNum(), 1);
             Dmg::CFriend contact;
             contact.addPropetyAndValue("手机", kPhone);
             std::vector<Strings> rows = {{kPhone}};
             const std::vector<int> groups{n};  // a braced {n} would bind to the newId overload
             EXPECT_EQ(friends.addFriend(contact, groups, id) + friends.addFriend(contact, groups) +
                           friends.importFriend(rows, {"手机"}, groups),
                       0);
         }},
        {"CFriendMag cache",
         [this](int n) {
             // Shown: the whole of the seed's group (a partly loaded one is
             // emptied whatever the number), taken out of group n.
             ASSERT_EQ(friends.getGroupFriendNum(seeds.group) + friends.getGroupFriendW(), 2);
             EXPECT_EQ(friends.delCurGroup(n, &progress), 1);
             std::vector<Dmg::CFriend> page;
             friends.init(n);
             EXPECT_EQ(friends.getFriend(0, 1, page), n >= 1 ? 1 : 0);
             friends.init(10);
             EXPECT_EQ(friends.getFriend(0, n, page), n == 1 ? 1 : 0);
             EXPECT_EQ(page.size(), n >= 1 ? 1u : 0u);
             EXPECT_EQ(friends.InsertFriendInVec(n, -77, Dmg::CFriend()), n == 0 ? 1 : 0);
             EXPECT_EQ(friends.modifyFriendInVec(n, Dmg::CFriend()) + friends.delFriendInVec(n), 0);
         }},
        {"CWordMag, CAlertInfoMag ids and groups",
         [this](int n) {
             Dmg::CWord word;
             Dmg::CAlertInfo info;
             std::vector<int> ids;
             int id = -5;
             Rows rows = {{0, {"x"}}};
             EXPECT_EQ(words.getWordInfo(n, word) + words.modifyWord(n, word) +
                           words.addWord(word, {n}, ids) + words.importWord(rows, {n}) +
                           words.addSubGroup(n, "x", id) + words.renameGroup(n, "x") +
                           words.delGroup(n),
                       0);
             EXPECT_EQ(alerts.getAlertInfoInfo(n, info) + alerts.modifyAlertInfo(n, info) +
                           alerts.addAlertInfo(info, {n}, ids) + alerts.addSubGroup(n, "x", id) +
                           alerts.renameGroup(n, "x") + alerts.delGroup(n),
                       0);
             EXPECT_EQ(words.delWord(n) + alerts.delAlertInfo(n), 2);
             std::vector<Dmg::CWordGroup> wordGroups;
             std::vector<Dmg::CAlertInfoGroup> alertGroups;
             EXPECT_EQ(words.getSubGroup(n, wordGroups) + alerts.getSubGroup(n, alertGroups), 2);
             EXPECT_EQ(wordGroups.size() + alertGroups.size(), n == 0 ? 2u : 0u);
             EXPECT_EQ(words.getGroupWordNum(n) + words.getCurWordNum(), 1);
             EXPECT_EQ(alerts.getGroupAlertInfoNum(n) + alerts.getCurAlertInfoNum(), 1);
         }},
        {"CWordMag, CAlertInfoMag cache",
         [this](int n) {
             ASSERT_EQ(words.getGroupWordNum(1) + alerts.getGroupAlertInfoNum(1), 2);
             std::vector<Dmg::CWord> shownWords;
             std::vector<Dmg::CAlertInfo> shownAlerts;
             words.init(n), alerts.init(n);
             EXPECT_EQ(words.getWord(0, 0, shownWords) + alerts.getAlertInfo(0, 0, shownAlerts),
                       n >= 1 ? 2 : 0);
             words.init(10), alerts.init(10);
             EXPECT_EQ(words.getWord(0, n, shownWords) + alerts.getAlertInfo(0, n, shownAlerts),
                       n == 0 ? 2 : 0);
             EXPECT_EQ(shownWords.size() + shownAlerts.size(), n >= 0 ? 2u : 0u);
             EXPECT_EQ(words.InsertWordInVec(n, -77, Dmg::CWord()), n == 0 ? 1 : 0);
             EXPECT_EQ(alerts.InsertAlertInfoInVec(n, -77, Dmg::CAlertInfo()), n == 0 ? 1 : 0);
             EXPECT_EQ(words.modifyWordInVec(n, Dmg::CWord()) + words.delWordInVec(n) +
                           alerts.modifyAlertInfoInVec(n, Dmg::CAlertInfo()) +
                           alerts.delAlertInfoInVec(n),
                       0);
             EXPECT_EQ(words.delCurGroup(n), 1);  // the cached phrase is in group 1
         }},
        {"CSaveMsgMag",
         [this](int n) {
             ASSERT_EQ(saved.readAllSaveMsg(), 1);
             std::vector<Dmg::CSaveMsg> page{Dmg::CSaveMsg()};
             EXPECT_EQ(saved.getSaveMsg(n, 1, page), n >= 0 ? 1 : 0);
             EXPECT_EQ(page.size(), n == 0 ? 1u : 0u);
             EXPECT_EQ(saved.getSaveMsg(0, n, page), n >= 0 ? 1 : 0);
             EXPECT_EQ(page.size(), n >= 1 ? 1u : 0u);
             EXPECT_EQ(saved.getSaveMsg(n, n, page), n >= 0 ? 1 : 0);
             EXPECT_EQ(saved.delSaveMsg(n), 1);
         }},
        {"CHistoryLogMag",
         [this](int n) {
             const Dmg::CSmsData t(n, n, n, n, n);
             std::vector<Dmg::CHistoryMsg> page;
             EXPECT_EQ(history.select(n, n) + history.getLogNum(), 1);
             EXPECT_EQ(
                 history.select(t, t, true, "") + history.select(t, Dmg::CSmsData(), true, ""), 2);
             EXPECT_LE(history.getLogNum(), 1);
             ASSERT_EQ(history.loadAllLog(), 1);
             EXPECT_EQ(history.getLog(n, n, page) + history.getLog(n, 1, page) +
                           history.getLog(0, n, page),
                       3);
             EXPECT_EQ(page.size(), (n == 0 ? 1u : 0u) + (n >= 1 ? 1u : 0u));
             EXPECT_EQ(history.delLog({n}, &progress), 1);
             EXPECT_EQ(history.getLogNum(), 1);
         }},
        {"CReplyMsgsMag",
         [this](int n) {
             Dmg::CSmsData t(n, n, n, n, n), unset;
             std::string key;
             EXPECT_EQ(replies.select(t, unset, key), 1);
             EXPECT_LE(replies.getLogNum(), 1);
             EXPECT_EQ(replies.select(unset, t, key), 1);
             EXPECT_LE(replies.getLogNum(), 1);
             ASSERT_EQ(replies.loadAll(), 1);
             std::vector<Dmg::ReplyData> page, chosen(1);
             EXPECT_EQ(replies.getLog(n, n, page) + replies.getLog(0, n, page), n >= 1 ? 1 : 0);
             EXPECT_EQ(page.size(), n >= 1 ? 1u : 0u);
             chosen[0].number = n;
             EXPECT_EQ(replies.delSelect(chosen) + replies.getLogNum(), 2);
         }},
        {"CSmsSendLogMag, CTimerSendMag",
         [this](int n) {
             std::vector<Dmg::CSendLosgMsg> log{Dmg::CSendLosgMsg()};
             sendLog.loadAll();
             EXPECT_EQ(sendLog.getLog(n, n, log), sendLog.getLogNum() > 0 ? 1 : 0);
             ASSERT_EQ(timers.loadAllTimerInfo(), 1);
             std::vector<Dmg::CTimerMsg> page;
             EXPECT_EQ(timers.getListInfo(n, 1, page), n >= 0 ? 1 : 0);
             EXPECT_EQ(page.size(), n == 0 ? 1u : 0u);
             EXPECT_EQ(timers.getListInfo(0, n, page), n >= 0 ? 1 : 0);
             EXPECT_EQ(page.size(), n >= 1 ? 1u : 0u);
             Dmg::CTimerMsg msg = timer;
             msg.group = n;  // the key of another group: the service refuses
             EXPECT_EQ(timers.deleteSelectList({msg}, &progress), 1);
         }},
        {"CSmsSendQueueMag",
         [this](int n) {
             ASSERT_EQ(queue.loadSendMsg() + queue.getMsgNum(), 2);
             Dmg::QueueData kept;
             kept.recordId = 42;
             EXPECT_EQ(queue.getSendQueue(n, kept) + queue.delSendElment(n), 0);
             EXPECT_EQ(kept.recordId, 42);
             int recipients = -1;
             EXPECT_EQ(queue.delSendMsg({n}) + queue.delSendMsg({n}, recipients), 2);
             EXPECT_EQ(recipients, 0);
             queue.clearAllLog();
             queue.addLog(kept);
             std::vector<Dmg::QueueData> page;
             for (const int r : {queue.getLogs(n, n, page), queue.getLogs(0, n, page)})
                 EXPECT_TRUE(r == 0 || r == 1);
             EXPECT_EQ(page.size(), n >= 1 ? 1u : 0u);
         }},
        {"CSmsSendStartInstance, CSmsPacketSendQueue",
         [this](int n) {
             SMS::NET::CNetLogResult login;
             login.mobileCharsPerSms = login.unicomCharsPerSms = login.telecomCharsPerSms = n;
             login.phsCharsPerSms = login.remainingSms = login.packetPauseMs = n;
             login.maxSendCount = login.maxTimedSendCount = login.packSize = n;
             login.firstPackSize = login.timedPackSize = login.packetIdSalt = n;
             settings.setNetConfigData(login, SMS::NET::CNetConfigData());
             EXPECT_GE(std::min({settings.mobileCharsPerSms, settings.phsCharsPerSms,
                                 settings.packSize, settings.firstPackSize}),
                       1);
             settings.timedPackSize = settings.telecomCharsPerSms = n;  // by hand
             EXPECT_EQ(settings.segmentCount("13312345678", "abc"), n > 1 ? 1 : 3);
             std::vector<Dmg::CSendQueueElement> elements(3);
             for (auto& e : elements) e.phone = kPhone, e.message = "abc", e.timerFlag = 1;
             elements[0].leading = true;
             std::vector<Dmg::QueueData> packets;
             int segments = -1;
             EXPECT_EQ(SMS::CSmsPacketSendQueue().Pack(elements, packets, segments), 1);
             EXPECT_EQ(segments, 3 * settings.segmentCount(kPhone, "abc"));
             std::string error;
             SMS::CSmsMsgProcessor p;
             int id = 0;
             ASSERT_EQ(p.addPhone(kPhone, false, true, id), 1);
             p.setSendMsg("abc");
             const int sent = SMS::CSmsSender().send(&p, error, &progress);
             EXPECT_EQ(sent, n > 1 ? 1 : 0) << error;
             if (sent == 1) queue.delSendMsg({queued.at(0).recordId});
             resetSettings();
         }},
        {"CSmsMsgProcessor numbers",
         [](int n) {
             SMS::CSmsMsgProcessor p;
             int id = 0;
             ASSERT_EQ(p.addPhone(kPhone, false, true, id), 1);
             Dmg::CFriend contact;
             contact.addPropetyAndValue("手机", kPhone);
             EXPECT_EQ(p.delPhone(kPhone, n) + p.delPhone(contact, n) +
                           p.setTimerDetail(Dmg::CSmsData(n, n, n, n, n), n),
                       3);
             std::vector<Dmg::CSendQueueElement> out;
             ASSERT_EQ(p.getSendQueue(out, false), 1);
             EXPECT_TRUE(out.size() == 1 && out[0].timerDetail == n &&
                         out[0].timerData.minute == n);
             std::vector<Dmg::QueueData> packets;
             Strings phones, messages;
             int segments = 0, type = 0;
             ASSERT_EQ(SMS::CSmsPacketSendQueue().Pack(out, packets, segments), 1);
             EXPECT_EQ(SMS::CSmsPacketSendQueue::UnPack(packets.at(0), phones, messages, type), 1);
             EXPECT_TRUE(packets[0].timerDetail == n && packets[0].timerData.year == n);
             int length = -1;
             char* const encoded = SMS::CSmsMsgProcessor::urlencode("abc", n, &length);
             EXPECT_EQ(encoded == nullptr, n == INT_MAX);
             EXPECT_TRUE(encoded == nullptr || (length == 0 && encoded[0] == '\0'));
             std::free(encoded);
             char buffer[] = "a%41";
             EXPECT_TRUE(n > 0 || SMS::CSmsMsgProcessor::urldecode(buffer, n) == 0);
         }},
        {"Dmg::CSmsData, time properties",
         [](int n) {
             const Dmg::CSmsData t(n, n, n, n, n);
             EXPECT_EQ(t.getString().empty(), n == -1);
             EXPECT_EQ(t.getFullString().size(), n == -1 ? 0u : t.getString().size() + 3);
             Dmg::CFriend contact;
             contact.getFirendStrut().birthday = t;
             Dmg::CWord word;
             word.getWordStrut().addTime = t;
             std::string text;
             std::map<std::string, std::string> map;
             EXPECT_EQ(contact.getValue("生日", text) + word.getPropetyAndValueMap(map), 2);
             if (n < -1) return;  // a negative part has no text form that reads back
             contact.addPropetyAndValue("生日", text);
             word.addPropetyAndValue("添加时间", map.at("添加时间"));
             EXPECT_TRUE(contact.getFirendStrut().birthday == t &&
                         word.getWordStrut().addTime == t);
         }},
        {"Dmg::CFriend ids, CFileManager and CWordMag::importWord row keys",
         [this](int n) {
             Dmg::CFriend contact;
             contact.getFirendStrut().id = contact.getFirendStrut().groupIdsCode = n;
             std::string id, groups;
             EXPECT_EQ(contact.getValue("ID", id) + contact.getValue("所属组ID", groups), 2);
             EXPECT_EQ(id + " " + groups, std::to_string(n) + " " + std::to_string(n));
             contact.addPropetyAndValue("ID", "7"), contact.addPropetyAndValue("ID", id);
             EXPECT_EQ(contact.getFirendStrut().id, n);
             const Rows rows = {{n, {"a"}}, {n == 0 ? 1 : 0, {"b"}}};
             const std::string path = dir.file("keys.csv");
             Rows back;
             ASSERT_EQ(FileSerialize::CFileManager::getSingleton().exportToFile(path, rows), 1);
             ASSERT_EQ(FileSerialize::CFileManager::getSingleton().importFromFile(path, back), 1);
             EXPECT_EQ(back, (Rows{{0, rows.begin()->second}, {1, rows.rbegin()->second}}));
             fs::remove(path);
             int group = 0;
             Rows phrases = rows;
             ASSERT_EQ(words.addRootGroup("导入", group) + words.importWord(phrases, {group}), 2);
             EXPECT_EQ(words.getGroupWordNum(group) + words.getCurWordNum(), 3);
             EXPECT_EQ(words.delGroup(group), 1);
         }},
    };
}

TEST_F(BadInput, TextValues) {
    const std::vector<TextEntry> entries = textEntries();
    for (const Text& text : texts()) {
        for (const TextEntry& entry : entries) {
            SCOPED_TRACE(std::string(entry.name) + " <- " + text.name);
            entry.call(text.value);
            expectStoresWork();
        }
    }
    // Contacts holding every value reach the service as they are.
    std::vector<int> ids(texts().size());
    for (std::size_t i = 0; i < ids.size(); ++i) {
        Dmg::CFriend contact;
        contact.addPropetyAndValue("名字", texts()[i].value);
        ASSERT_EQ(friends.addFriend(contact, {}, ids[i]), 1);
    }
    const std::size_t before = gateway->uploadedContacts().size();
    SMS::CNetFriendUpload().Upload();
    const auto uploaded = gateway->uploadedContacts();
    ASSERT_EQ(uploaded.size(), before + ids.size() + 1);  // the seed was changed: it goes again
    for (std::size_t i = 0; i < ids.size(); ++i) {
        EXPECT_EQ(uploaded[before + i + 1].name, texts()[i].value) << texts()[i].name;
        EXPECT_EQ(friends.delFriend(ids[i]), 2);
    }
    // Another user folder named by every value opens only when it is one,
    // and nothing is made under another name. Then everything is still
    // there when the user's own folder is opened again.
    Dmg::CDataManager& data = Dmg::CDataManager::getSingleton();
    const std::string other = dir.file("other");
    for (const Text& text : texts()) {
        SCOPED_TRACE(std::string("CDataManager::openUserData <- ") + text.name);
        fs::create_directory(other);
        EXPECT_EQ(data.openUserData(other + "/" + text.value), text.value.empty() ? 1 : 0);
        data.closeUserData();
        EXPECT_EQ(namesIn(other).empty(), !text.value.empty());
        fs::remove_all(other);
    }
    // No user folder opens nothing: no file in the root folder, no private
    // temporary database that loses what is stored.
    EXPECT_EQ(data.openUserData(""), 0);
    SMS::CUserInfo::instance()->userDir.clear();
    SMS::CSmsMsgProcessor p;
    int id = 0;
    ASSERT_EQ(p.addPhone(kPhone, false, true, id), 1);
    p.setSendMsg("x");
    std::string error;
    EXPECT_EQ(SMS::CSmsSender().send(&p, error, &progress), 0);
    SMS::CUserInfo::instance()->userDir = dir.path();
    EXPECT_FALSE(fs::exists("/SQu.dll"));
    fs::remove("/SQu.dll");  // a failing run leaves nothing behind
    ASSERT_EQ(data.openUserData(dir.path()), 1);
    expectStoresWork();
}

TEST_F(BadInput, NumberValues) {
    for (const Number& number : kNumbers) {
        for (const NumberEntry& entry : numberEntries()) {
            SCOPED_TRACE(std::string(entry.name) + " <- " + number.name);
            entry.call(number.value);
            expectStoresWork();
        }
    }
}

}  // namespace
