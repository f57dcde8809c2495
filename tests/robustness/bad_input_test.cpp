// Bad input at every public entry: each exported operation that takes text or
// numbers is called with every value of a table of nasty values, against the
// real stores of a temporary user folder. A call must give one of its
// documented results and leave its outputs as documented; afterwards the
// data that were there are still there and a plain write still works.
// The results of a step are compared as one list (a braced list runs its
// calls in order): a failure names the entry, the value and the place in the
// list.
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
#include "contracts/dmg/CLogSendQueueSerialize.h"
#include "contracts/dmg/CRejectPhonesDataSerialize.h"
#include "contracts/dmg/CRejectWordsDataSerialize.h"
#include "contracts/dmg/CSendQueueSerialize.h"
#include "contracts/fileserialize/CFileManager.h"
#include "contracts/net/CEmbeddedGateway.h"
#include "contracts/net/CNetInterfaceMag.h"
#include "contracts/net/CNetTimerSendA.h"
#include "contracts/platform/FilePath.h"
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
#include "tests/fakes/LogCapture.h"
#include "tests/fakes/RecordingProgressDlg.h"
#include "tests/fakes/TempDir.h"

namespace {

using namespace Dmg;  // the records and stores
using namespace SMS;  // the managers
namespace fs = std::filesystem;
using Strings = std::vector<std::string>;
using Rows = std::map<int, Strings>;
using Ints = std::vector<long>;  // results: int, bool or long
using V = const std::string&;

const std::string kPassword = "Quenp19990812", kPhone = "13800138000", kNotGbk = u8"中文。";
// The contact's properties: the text ones first (the 13th is no search
// field), then the others.
const char* const kLabels[] = {"名字", "手机",         "电话",         "邮箱", "公司",  "职业",
                               "地址", "邮编",         "生日短语内容", "注释", "备用1", "备用6",
                               "尊称", "ID",           "所属组ID",     "性别", "婚否",  "个性签名",
                               "生日", "发送生日提醒", "生日提醒"};

// Empty; a NUL byte inside; a lead byte at the end, after a whole character
// and (0xFE) after ASCII; lone bytes 0x80 and 0xFF; UTF-8 that is also GBK and
// UTF-8 that is not; SQL, LIKE wildcards, an escape, a format; numbers long,
// with spaces, negative; 10 MB of double-byte characters and ASCII, last, so
// that it is stored only after every other value has been searched for.
const Strings& texts() {
    static const Strings all = [] {
        std::string huge, nul("a\0'b", 4), number = "123456789012345678901234567890";
        while (huge.size() < (10u << 20)) huge += "短信a";
        return Strings{"",       nul,     "\xD6\xD0\x81",        "ab\xFE", "\x80", "\xFF\xFF",
                       u8"短信", kNotGbk, "'; DROP TABLE x; --", "%",      "_",    "\\",
                       "%s%n",   number,  " 138 0013 8000 ",     "-1",     huge};
    }();
    return all;
}

const std::vector<int> kNumbers = {INT_MIN, -1, 0, INT_MAX};

// Windows has no name for bytes that are not GBK nor for a backslash, drops a
// name's trailing spaces, and takes a folder's name plus a backslash for the
// folder itself.
#ifdef _WIN32
constexpr bool kWindowsNames = true;
#else
constexpr bool kWindowsNames = false;
#endif

// A value as a failure names it: escaped, the huge one cut short.
std::string printed(V v) { return testing::PrintToString(v.substr(0, 32)); }
std::string printed(int n) { return std::to_string(n); }

// The value itself, or its first kilobyte: the whole of the 10 MB one is
// stored once in each store (the contacts of Main.dll, the send queue, a CSV
// file), which keeps the run short; it is searched for and handled in memory
// everywhere.
std::string kb(V value) { return value.substr(0, 1024); }

bool hasNul(const std::string& text) { return text.find('\0') != std::string::npos; }

const auto sz = [](const auto& c) { return static_cast<int>(c.size()); };

// Compares the results of a step, in the order of its calls, with what they
// must be (every one 1 unless told); the caller's line (and `what`) name the
// step in a failure.
void check(const Ints& got, Ints want = {}, const std::string& what = "",
           int line = __builtin_LINE()) {
    const testing::ScopedTrace trace(__FILE__, line, what);
    if (want.empty()) want.assign(got.size(), 1);
    EXPECT_EQ(got, want);
}

Strings namesIn(const std::string& folder) {
    Strings names;
    for (const auto& e : fs::directory_iterator(Platform::filePath(folder)))
        names.push_back(Platform::pathString(e.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

// A contact, phrase or reminder `r` with `value` in each of `properties`.
template <class Record>
Record record(std::initializer_list<const char*> properties, const std::string& value,
              Record r = Record()) {
    for (const char* p : properties) r.addPropetyAndValue(p, value);
    return r;
}

// A root group and a subgroup of it, renamed, listed, `inSub(sub)` run, then
// the tree deleted; alike for the three kinds of groups.
template <class Mag, class Group>
void groupTree(Mag& mag, std::vector<Group> found, V name, const std::function<void(int)>& inSub) {
    int root = 0, sub = 0;
    check({mag.addRootGroup(name, root), mag.addSubGroup(root, "x", sub),
           mag.renameGroup(sub, name), mag.getSubGroup(root, found), mag.getRootGroup(found),
           found.at(0).name == name, found.back().name == name});
    inSub(sub);
    EXPECT_EQ(mag.delGroup(root), 1);
}

// Ids and parents no group has: every change is refused, nothing is listed
// below them (the root groups below 0).
template <class Mag, class Group>
void badGroupIds(Mag& mag, std::vector<Group> found, int n) {
    int id = -5;
    std::vector<Group> roots;
    check({!mag.addSubGroup(n, "x", id), !mag.renameGroup(n, "x"), !mag.delGroup(n),
           mag.getSubGroup(n, found), mag.getRootGroup(roots), id == -5,
           sz(found) == (n == 0 ? sz(roots) : 0)});
}

class BadInput : public ::testing::Test {
public:
    void SetUp() override;
    void TearDown() override {
        settings = savedSettings;
        NET::CNetInterfaceMag::instance()->setGateway(nullptr);
        CDataManager::getSingleton().closeUserData();
    }
    // The settings before the test, with callbacks that keep the queued
    // packets and the first of them as stored.
    void resetSettings() {
        settings = savedSettings;
        settings.onSendPrepared = [] {};
        settings.onPacketsQueued = [this](std::vector<QueueData>& p) {
            queued = p;
            if (!p.empty()) q.loadSendMsg(), q.getSendQueue(p[0].recordId, stored);
        };
    }
    // A send of `text` to kPhone; what it queued is taken out again.
    int send(V text) {
        CSmsMsgProcessor p;
        int id = 0;
        std::string error;
        queued.clear(), p.addPhone(kPhone, false, true, id), p.setSendMsg(text);
        const int sent = CSmsSender().send(&p, error, &progress);
        if (!queued.empty()) q.delSendMsg({queued[0].recordId});
        return sent;
    }
    // Every entry with every value, each call followed by the store checks.
    template <class Value, class Values>
    void callAll(const Values& values,
                 std::initializer_list<std::pair<const char*, void (BadInput::*)(Value)>> entries) {
        for (const auto& value : values)
            for (const auto& [name, entry] : entries) {
                SCOPED_TRACE(std::string(name) + " <- " + printed(value));
                (this->*entry)(value), expectStoresWork();
            }
    }
    // The store checks; the entries, by family of managers.
    void expectStoresWork(), textContacts(V), textLibrary(V), textRecords(V), textComposing(V),
        textSending(V), textFiles(V), numberContacts(int), numberLibrary(int), numberRecords(int),
        numberSending(int);

    fakes::TempDir dir;
    std::shared_ptr<NET::CEmbeddedGateway> gateway = std::make_shared<NET::CEmbeddedGateway>();
    CSmsSendStartInstance& settings = *CSmsSendStartInstance::Instance();
    const CSmsSendStartInstance savedSettings = settings;
    std::vector<QueueData> queued;
    QueueData stored;
    fakes::RecordingProgressDlg progress;
    // The seeds, one of each kind of record, that every call must leave alone.
    int seedContact = 0, seedGroup = 0, seedWord = 0, seedAlert = 0, seedPacket = 0;
    CTimerMsg timer;  // the seeded timed message, as listed
    // The managers, short: every step calls many of them.
    CFriendMag f;
    CWordMag w;
    CAlertInfoMag a;
    CSaveMsgMag s;
    CHistoryLogMag h;
    CReplyMsgsMag r;
    CSmsSendLogMag l;
    CTimerSendMag t;
    CSmsSendQueueMag q;
};

// The user folder, on the embedded gateway, seeded with a contact in a group,
// a phrase, a reminder, two saved messages, a reply; a waiting packet, and a
// timed one the service accepted, moved by the log thread's steps into the
// history and the timed messages. The second saved message is 中 and 丂, whose
// first byte is 0x81: a search for 中 and a lone 0x81 must not find it.
void BadInput::SetUp() {
    std::vector<int> wordIds, alertIds, ids, doneIds;
    std::vector<QueueData> packets(2), done;
    auto word = record<CWord>({"内容"}, "春节快乐");
    auto alert = record<CAlertInfo>({"提醒类型", "名字", "内容", "手机"}, "生日");
    CSendQueueSerialize store;
    CLogSendQueueSerialize mover;
    NET::CNetTimerSendA scheduled;  // kept by the service as "TM1", in group 7
    for (QueueData& p : packets)
        p.displayText = "种子", p.phoneList = kPhone + ",", p.recipientCount = 1,
        p.queuedTime = CSmsData(2024, 5, 6, 7, 8);
    packets[1].timerFlag = 1, packets[1].timerId = 7, packets[1].commonMsg = 1;
    CUserInfo::instance()->userDir = dir.path();
    NET::CNetInterfaceMag::instance()->setGateway(gateway), resetSettings();
    scheduled.timerId = 7, scheduled.phones = {kPhone}, scheduled.commonText = "种子";
    gateway->injectReply("13700000000", "收到", CSmsData(2026, 3, 7, 8, 5));
    check({CDataManager::getSingleton().openUserData(dir.path()), f.addRootGroup("朋友", seedGroup),
           f.addFriend(record({"手机"}, "13912345678", record<CFriend>({"名字"}, "张三")),
                       {seedGroup}, seedContact),
           w.addWord(word, {}, wordIds) == 2, a.addAlertInfo(alert, {}, alertIds) == 2,
           s.saveMsg("明天见"), s.saveMsg("中丂"), records::storeReplies(*gateway),
           store.initialize(dir.file("SQu.dll"), kPassword), store.writeQueue(packets, ids),
           store.setServiceKey(ids.at(1), "TM1"), store.modifyStatus(ids[1], 1), store.close()});
    check({mover.initializeHistroyDB(dir.file("HLog.dll"), kPassword),
           mover.initializeSendQueueDB(dir.file("SQu.dll"), kPassword),
           mover.initializeMainDB(dir.file("Main.dll"), kPassword),
           mover.getAllSendData(done, doneIds), mover.writeLog(done), mover.deleteSendData(doneIds),
           mover.closeSendQueueDB(), mover.closeHistoryDB(), mover.closeMainDB(),
           scheduled.getPacketT(packets[1].packetText),
           gateway->send(packets[1]).serviceKey == "TM1", t.loadAllTimerInfo()});
    ASSERT_FALSE(HasFailure());
    seedWord = wordIds.at(0), seedAlert = alertIds.at(0), seedPacket = ids[0],
    timer = t.timerList.at(0);
}

// Every seed is still there and nothing else is (every entry removes what it
// added), and the stores still take a write: results, and after each search
// or load the number of records found.
void BadInput::expectStoresWork() {
    CFriend contact;
    CWord word;
    CAlertInfo alert;
    std::vector<CFriendGroup> groups, roots;
    std::vector<CSaveMsg> saved;
    QueueData packet;
    check({f.getFriendInfo(seedContact, contact, groups), sz(groups),
           f.modifyFriend(seedContact, contact), f.selectFriendNum("名字", ""), f.getCurFriendNum(),
           f.getRootGroup(roots), sz(roots) == 2, w.getWordInfo(seedWord, word),
           w.SelectWordByContent(""), w.getCurWordNum(), a.getAlertInfoInfo(seedAlert, alert),
           a.selectAlertInfoNum("", ""), a.getCurAlertInfoNum(),
           contact.getFirendStrut().name == "张三", word.getWordStrut().content == "春节快乐",
           alert.getAlertInfoStrut().phoneNum == "生日"});
    check({s.readAllSaveMsg(), s.getSaveMsg(0, 5, saved), sz(saved) == 2, r.loadAll(),
           r.getLogNum(), h.loadAllLog(), h.getLogNum(), t.loadAllTimerInfo(), t.getListInfoNum(),
           static_cast<long>(gateway->scheduledCount()), q.loadSendMsg(), q.getMsgNum(),
           q.getSendQueue(seedPacket, packet), saved.at(0).text + saved[1].text == "明天见中丂"});
}

// A contact read back and searched for; the import skips the row whose number
// is the value; text fields find the seed for an empty value only, the others
// at most the seed; text properties hold the value, the text form of every
// property reads back as itself; no value names a field or property.
void BadInput::textContacts(V v) {
    CFriend back, c;
    const auto& d = back.getFirendStrut();
    std::vector<CFriendGroup> roots;
    std::vector<CFriend> found;
    std::vector<Strings> rows = {{v, kb(v), kb(v), kb(v)}, {kPhone, kb(v), kb(v), kb(v)}};
    std::string first, second;
    int id = 0;
    check({f.addFriend(record<CFriend>({"名字", "注释", "手机"}, kb(v)), {}, id),
           f.getFriendInfo(id, back), d.name == kb(v) && d.comment == kb(v) && d.mobile == kb(v),
           f.selectFriendNum("名字", kb(v)), f.getCurFriendNum() == 1 + v.empty(),
           f.delFriend(id) == 2});
    check({f.addRootGroup(kb(v)), f.getRootGroup(roots), roots.back().name == kb(v),
           f.delGroup(roots.back().id), f.importFriend(rows, {"手机", "名字", v, "生日"}, {}),
           f.selectFriendNum("手机", kPhone), f.getCurFriendNum(), f.getAllFriend(found),
           found.at(0).getFirendStrut().name == kb(v), f.delCurSelect(),
           !f.selectFriendNum(v, "张三"), !c.addPropetyAndValue(v, "x"),
           !c.getValue(v, first = "x"), first == "x"});
    for (std::size_t i = 0; i < std::size(kLabels); ++i) {
        const char* const p = kLabels[i];
        check({f.selectFriendNum(p, v), i < 13 ? f.getCurFriendNum() : f.getCurFriendNum() <= 1,
               c.addPropetyAndValue(p, kb(v)), c.getValue(p, first), i > 12 || first == kb(v),
               c.addPropetyAndValue(p, first), c.getValue(p, second), first == second},
              {i != 12, i < 12 ? v.empty() : i > 12, 1, 1, 1, 1, 1, 1}, p);
    }
    groupTree(f, std::vector<CFriendGroup>(), kb(v),
              [&](int sub) { EXPECT_EQ(f.addSubGroup(sub, kb(v)), 1); });
}

// Phrases and reminders: the whole value in their content, read back,
// searched for (found for the empty value only); groups; an import; their
// property maps read back as themselves, no value names a property.
void BadInput::textLibrary(V v) {
    auto word = record<CWord>({"内容", "添加时间"}, kb(v));
    CAlertInfo back, info = record<CAlertInfo>(
                         {"提醒类型", "名字", "手机", "激活时间", "添加时间", "内容"}, kb(v));
    const auto& d = back.getAlertInfoStrut();
    std::vector<int> ids;
    std::vector<CWord> shown;
    const auto roundTrip = [&v](auto rec) {
        std::map<std::string, std::string> first, second;
        const bool read = rec.addPropetyAndValue(v, "x") + rec.getPropetyAndValueMap(first) == 1;
        for (const auto& [name, text] : first) rec.addPropetyAndValue(name, text);
        return read && rec.getPropetyAndValueMap(second) && first == second &&
               first.at("内容") == kb(v);
    };
    check({roundTrip(word), roundTrip(info), w.addWord(word, {}, ids) == 2,
           w.getWordInfo(ids.at(0), word), word.getWordStrut().content == kb(v),
           word.addPropetyAndValue("内容", kb(v)), w.modifyWord(ids[0], word),
           w.delWord(ids[0]) == 2, w.SelectWordByContent(v), w.getCurWordNum() == v.empty(),
           w.selectWordNum(v, v), w.getCurWordNum() == v.empty()});
    check({a.addAlertInfo(info, {}, ids) == 2, a.getAlertInfoInfo(ids.at(1), back),
           Strings{d.content, d.alertType, d.ownerName, d.phoneNum} == Strings(4, kb(v)),
           info.addPropetyAndValue("内容", kb(v)), a.modifyAlertInfo(ids[1], info),
           a.delAlertInfo(ids[1]) == 2, a.selectAlertInfoNum(v, v),
           a.getCurAlertInfoNum() == v.empty()});
    groupTree(a, std::vector<CAlertInfoGroup>(), kb(v), [](int) {});
    groupTree(w, std::vector<CWordGroup>(), kb(v), [&](int sub) {
        Rows rows = {{0, {kb(v), kb(v)}}};
        check({w.importWord(rows, {sub}), w.getGroupWordNum(sub), w.getCurWordNum(), w.init(1),
               w.getWord(0, 0, shown), shown.at(0).getWordStrut().content == kb(v) + kb(v)});
    });
}

// Searches find the seed for the empty value only; a saved message and a
// reply hold the value whole; a service key it does not know deletes nothing.
void BadInput::textRecords(V v) {
    CSmsData from, to;
    CTimerMsg msg = timer;
    std::string key = msg.serviceKey = v;
    std::vector<CSaveMsg> found;
    std::vector<ReplyData> last;
    gateway->injectReply(kb(v), kb(v), CSmsData());
    check({h.select(from, to, true, v), h.getLogNum() == v.empty(), r.select(from, to, key),
           r.getLogNum() == v.empty(), t.select(v), t.getListInfoNum() == v.empty(),
           s.selectSaveMsg(v), s.getMsgNum() == 2 * v.empty(), s.saveMsg(kb(v)),
           s.selectSaveMsg(kb(v)), s.getMsgNum() == 1 + 2 * v.empty(), s.getSaveMsg(0, 3, found),
           found.back().text == kb(v)});
    check({s.delSaveMsg(found.back().number) == 2, records::storeReplies(*gateway), r.loadAll(),
           r.getLogNum() == 2, r.getLog(1, 1, last),
           last.at(0).phone == kb(v) && last[0].text == kb(v), r.delSelect(last),
           t.loadAllTimerInfo(), t.deleteSelectList({msg}, &progress),
           t.deleteReport == "正确删除0条定时信息  删除失败记录:1"});
}

// No value is a number: recipients, carrier classes; texts: one for all with
// a signature, one filled in, their segments; URL forms; each kind of packet
// reads back, the value as a packet does not.
void BadInput::textComposing(V v) {
    CSmsMsgProcessor p, common, personal;
    CSendMsg msg;
    CPhoneNumMag own;
    const CPhoneNumMag& shared = *CPhoneNumMag::inistance();
    const auto contact = record<CFriend>({"手机", "名字"}, kb(v));
    // A copy of a packet whose text is the value.
    const auto garbled = [&v](QueueData packet) { return packet.packetText = v, packet; };
    int id = 99, yd = 1, lt = 1, dx = 1, xlt = 1, length = -1;
    const int per = settings.mobileCharsPerSms, chars = msg.getMsgWord(v);
    const int segments = (chars + per - 1) / per;
    std::vector<CSendQueueElement> e, two(2);
    Strings values{"x"};
    own.Init({v}, {v}, {v});
    check({p.addPhone(v, contact, "m", true, id), p.addPhone(v, contact, true, id),
           p.addPhone(v, std::string("m"), true, id), p.addPhone(v, "m", true, id),
           p.addPhone(v, true, true, id), p.addPhone(contact, true, id),
           p.addPhoneHistory(v, "m", id), id, p.delPhone(v, 1), p.setPhone(v, contact),
           p.setPhoneMsg(v, v), p.getPhoneNum(yd, lt, dx, xlt), yd + lt + dx + xlt,
           p.getSendQueue(e, true), sz(e), own.IsPhoneNum(kPhone),
           own.IsPhoneNum(v) || shared.IsPhoneNum(v) || shared.isYDNumber(v) ||
               shared.isLTNumber(v) || shared.isDXNumber(v) || shared.isXLTNumber(v)},
          {-1, -1, -1, -1, -1, -1, -1, 99, 1, 1, 1, 1, 0, 0, 0, 0, 0});
    common.setSendMsg(v), common.setCompanyEnder(kb(v)), common.setPersonalSms(true);
    personal.setSendMsg("<姓名>" + kb(v)), personal.setPersonalSms(true);
    const std::unique_ptr<char, decltype(&std::free)> encoded(
        CSmsMsgProcessor::urlencode(v.data(), sz(v), &length), &std::free);
    std::string decoded(encoded ? encoded.get() : "", static_cast<std::size_t>(length)), pure,
        filled;
    check({common.addPhone(kPhone, v, false, id), personal.addPhone(kPhone, contact, false, id),
           common.filterMsg(v), common.getSendQueue(e, true), personal.getSendQueue(e, true), sz(e),
           e.at(0).message == v + kb(v) && e.at(1).message == kb(v) + kb(v),
           CSmsMsgProcessor::urldecode(&decoded[0], length), decoded.substr(0, v.size()) == v},
          {1, 1, 1, 1, 1, 2, 1, sz(v), 1});
    two[0].phone = kPhone, two[0].message = v, two[1].phone = v;
    check({msg.setMsg(v), msg.getPureMsg(pure), pure == v, msg.getMsg(contact, filled), filled == v,
           msg.getPersonalInfo(contact, values), sz(values), chars <= sz(v) && 2 * chars >= sz(v),
           settings.segmentCount(v, "x"), settings.segmentCount(kPhone, v),
           settings.getSmsSplitNum({v}, {v}), settings.getSmsSplitNum({kPhone}, {v, v}),
           settings.getSmsSplitNum(two)},
          {1, 1, 1, 1, 1, 1, 0, 1, 0, segments, 0, 0, segments});
    two[1].phone = two[1].message = kb(v);
    for (const int kind : {0, 1, 2, 3}) {
        Strings phones, messages, kept = {"kept"};
        std::vector<QueueData> packets;
        two[0].timerFlag = two[1].timerFlag = kind / 2;
        two[0].commonMsg = two[1].commonMsg = kind & 1, two[0].message = kind == 0 ? v : kb(v);
        check({CSmsPacketSendQueue().Pack(two, packets, id),
               CSmsPacketSendQueue::UnPack(packets.at(0), phones, messages, id),
               phones == Strings{kPhone, kb(v)},
               messages == (kind & 1 ? Strings{two[0].message} : Strings{two[0].message, kb(v)}),
               CSmsPacketSendQueue::UnPack(garbled(packets[0]), kept, kept, id),
               kept == Strings{"kept"}},
              {1, 1, 1, 1, 0, 1}, std::to_string(kind));
    }
}

// The send log holds the sender's names; the value on both reject lists: a
// text holding it is refused, the number is no listed one. Another user
// folder named by the value, and no user folder for the empty value: nothing
// opens or is sent, no file is made under another name or in the root folder
// (nor a private temporary database that would lose what is stored).
void BadInput::textSending(V v) {
    CUserInfo::instance()->senderId = CUserInfo::instance()->senderExtra = kb(v);
    settings.maxSendCount = INT_MAX, settings.remainingSms = 1000000000;
    std::vector<CSendLosgMsg> log;
    CDataManager& data = CDataManager::getSingleton();
    auto& words = *static_cast<CRejectWordsDataSerialize*>(data.getDataSerialize("rejectwords"));
    auto& nums = *static_cast<CRejectPhonesDataSerialize*>(data.getDataSerialize("rejectphones"));
    const std::string holding = "x" + kb(v) + " ", other = v.empty() ? v : dir.path() + "/" + v;
    CSmsMsgProcessor p;
    check({send(v), queued.at(0).displayText == v && stored.packetText == queued[0].packetText,
           l.loadAll(), l.getLog(l.getLogNum() - 1, 1, log),
           log.at(0).secondText == kb(v) && log[0].thirdText == kb(v),
           words.setRejectWords({kb(v)}), nums.setRejectPhones({kb(v)}), p.filterMsg(holding),
           p.filterMsg("春节快乐"), send("春节快乐"), queued.at(0).rejected, send(holding),
           words.setRejectWords({}), nums.setRejectPhones({})},
          {1, 1, 1, 1, 1, 1, 1, v.empty(), 1, 1, 0, v.empty(), 1, 1});
    resetSettings();
    if (kWindowsNames && v == "\\") return;  // there a folder's name plus a backslash is the folder
    const Strings before = namesIn(dir.path());
    const fakes::LogCapture lines;
    CUserInfo::instance()->userDir = other;
    check({q.loadSendMsg(), q.getMsgNum(), send("x"), settings.remainingSms},
          {1, 0, 0, savedSettings.remainingSms});
    CNetFriendUpload().Upload(), CUserInfo::instance()->userDir = dir.path();
    check({namesIn(dir.path()) == before, fs::exists("/SQu.dll"), data.openUserData(other),
           lines.count("data: cannot open : no file name") > 0, data.openUserData(dir.path())},
          {1, 0, 0, v.empty(), 1});
    fs::remove("/SQu.dll");  // a failing run leaves nothing behind
}

// Cells and file contents: what has no file form is refused. File names:
// written under exactly that name, or nothing at all; the managers hand the
// name on as it is, so only names that must fail go through every one of
// them (a written file costs a sync). A name cut short at its NUL byte names
// another file.
void BadInput::textFiles(V v) {
    FileSerialize::CFileManager& files = FileSerialize::CFileManager::getSingleton();
    const std::string cells = dir.file("cells.csv"), folder = dir.file("names"),
                      path = folder + "/" + v;
    const Rows rows = {{0, {v}}, {1, {kb(v), "", kb(v)}}};
    Rows back = {{9, {"x"}}}, raw = back;
    const int exported = files.exportToFile(cells, rows);
    const int imported = files.importFromFile(cells, back);
    std::ofstream(cells, std::ios::binary | std::ios::trunc) << v;
    check({exported, imported, back == (exported ? rows : Rows()), files.importFromFile(cells, raw),
           !hasNul(v) || raw.empty()},
          {!hasNul(v) && v != kNotGbk, exported, 1, !hasNul(v), 1});
    fs::remove(cells), fs::create_directory(folder), back.clear();
    if (!v.empty() && !hasNul(v) && v.size() < 256) {
        const bool mustWrite = !kWindowsNames;
        const std::string onDisk = kWindowsNames ? v.substr(0, v.find_last_not_of(' ') + 1) : v;
        const int written = files.exportToFile(path, {{0, {"a"}}});
        check({written || !mustWrite, f.parseFile(path, back) == written,
               namesIn(folder) == (written ? Strings{onDisk} : Strings{})});
    } else {
        std::string replyPath = path;
        check({files.exportToFile(path, {{0, {"a"}}}), f.exportFriend(path, {}),
               w.exportWord(path, {}), a.exportAlertInfo(path, {}), s.exportAll(path),
               h.exportLog(path, {}), r.ExportAll(replyPath), l.ExportAll(path),
               f.parseFile(path, back), sz(back), sz(namesIn(folder))},
              Ints(11, 0));
        std::ofstream(folder + "/" + v.substr(0, v.find('\0'))) << "other";
        EXPECT_EQ(files.importFromFile(path, back) + sz(back), 0);
    }
    fs::remove_all(folder);
}

// Ids of no contact and of no group; the cache: the whole of the seed's group
// (a partly loaded one is emptied whatever the number), taken out of group n,
// paged; ids and a birthday of n in their text forms, read back (a negative
// part has no text form that does).
void BadInput::numberContacts(int n) {
    auto contact = record<CFriend>({"手机"}, kPhone);
    auto& d = contact.getFirendStrut();
    std::vector<CFriendGroup> groups;
    std::vector<Strings> rows = {{kPhone}};
    std::vector<CFriend> page;
    const std::vector<int> in{n};  // a braced {n} would bind to the newId overload
    int id = -5;
    check({f.getFriendInfo(n, contact), f.getFriendInfo(n, contact, groups),
           f.modifyFriend(n, contact), f.delFriend(n), f.addFriGroupRelation(n, seedGroup),
           f.addFriGroupRelation(seedContact, n), f.delFriGroupRelation(seedContact, n),
           f.delFriGroupRelation(n, seedGroup), f.addSubGroup(n, "x"), f.addFriend(contact, in, id),
           f.addFriend(contact, in), f.importFriend(rows, {"手机"}, in), id},
          {0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, -5});
    check({f.getGroupFriendNum(n), f.getCurFriendNum(), f.getGroupFriendNum(seedGroup),
           f.getGroupFriendW(), f.delCurGroup(n, &progress), f.init(n), f.getFriend(0, 1, page),
           f.init(10), f.getFriend(0, n, page), sz(page), f.InsertFriendInVec(n, -77, CFriend()),
           f.modifyFriendInVec(n, CFriend()), f.delFriendInVec(n)},
          {1, 0, 1, 1, 1, 1, n >= 1, 1, n == 1, n >= 1, n == 0, 0, 0});
    badGroupIds(f, groups, n);
    d.birthday = CSmsData(n, n, n, n, n), d.id = d.groupIdsCode = n;
    std::string text, ids, groupIds;
    check({contact.getValue("生日", text), contact.getValue("ID", ids),
           contact.getValue("所属组ID", groupIds),
           ids + " " + groupIds == std::to_string(n) + " " + std::to_string(n),
           contact.addPropetyAndValue("ID", "7"), contact.addPropetyAndValue("ID", ids), d.id == n,
           contact.addPropetyAndValue("生日", text),
           n < -1 || d.birthday == CSmsData(n, n, n, n, n)});
}

// As for contacts; the cache: the seeds of group 1, in pages of n, page n;
// an added time of n read back; row keys of n: files and imports take the
// rows in key order.
void BadInput::numberLibrary(int n) {
    CWord word;
    CAlertInfo info;
    std::vector<int> ids;
    std::vector<CWord> shown;
    std::vector<CAlertInfo> shownAlerts;
    const Rows keyed = {{n, {"a"}}, {n == 0 ? 1 : 0, {"b"}}};
    Rows rows = {{0, {"x"}}}, back, phrases = keyed;
    check({w.getWordInfo(n, word), w.modifyWord(n, word), w.addWord(word, {n}, ids),
           w.importWord(rows, {n}), w.delWord(n), w.getGroupWordNum(n), w.getCurWordNum(),
           a.getAlertInfoInfo(n, info), a.modifyAlertInfo(n, info), a.addAlertInfo(info, {n}, ids),
           a.delAlertInfo(n), a.getGroupAlertInfoNum(n), a.getCurAlertInfoNum()},
          {0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 0});
    check({w.getGroupWordNum(1), a.getGroupAlertInfoNum(1), w.init(n) + a.init(n),
           w.getWord(0, 0, shown) + a.getAlertInfo(0, 0, shownAlerts), w.init(10) + a.init(10),
           w.getWord(0, n, shown) + a.getAlertInfo(0, n, shownAlerts), sz(shown) + sz(shownAlerts),
           w.InsertWordInVec(n, -77, CWord()), a.InsertAlertInfoInVec(n, -77, CAlertInfo()),
           w.modifyWordInVec(n, CWord()), w.delWordInVec(n),
           a.modifyAlertInfoInVec(n, CAlertInfo()), a.delAlertInfoInVec(n), w.delCurGroup(n)},
          {1, 1, 2, 2 * (n >= 1), 2, 2 * (n == 0), 2 * (n >= 0), n == 0, n == 0, 0, 0, 0, 0, 1});
    badGroupIds(w, std::vector<CWordGroup>(), n);
    badGroupIds(a, std::vector<CAlertInfoGroup>(), n);
    std::map<std::string, std::string> map;
    int group = 0;
    word.getWordStrut().addTime = CSmsData(n, n, n, n, n);
    check({word.getPropetyAndValueMap(map), word.addPropetyAndValue("添加时间", map.at("添加时间")),
           n < -1 || word.getWordStrut().addTime == CSmsData(n, n, n, n, n),
           FileSerialize::CFileManager::getSingleton().exportToFile(dir.file("keys.csv"), keyed),
           FileSerialize::CFileManager::getSingleton().importFromFile(dir.file("keys.csv"), back),
           back == Rows{{0, keyed.begin()->second}, {1, keyed.rbegin()->second}},
           w.addRootGroup("导入", group), w.importWord(phrases, {group}), w.getGroupWordNum(group),
           w.getCurWordNum() == 2, w.delGroup(group)});
}

// Searches by times of n and by record numbers n; caches of one: page n of
// size 1, page 0 of size n, page n of size n; record n deleted; the key of
// another group, which the service refuses; the queue by record n; times of
// n as text (none for the unset one).
void BadInput::numberRecords(int n) {
    CSmsData at(n, n, n, n, n), unset;
    std::string key;
    std::vector<CSaveMsg> texts{CSaveMsg()};
    std::vector<CHistoryMsg> sent;
    std::vector<ReplyData> received, chosen(1);
    std::vector<CSendLosgMsg> log{CSendLosgMsg()};
    std::vector<CTimerMsg> timed;
    std::vector<QueueData> page;
    QueueData kept;
    int recipients = -1;
    CTimerMsg msg = timer;
    msg.group = chosen[0].number = n, kept.recordId = 42;
    check({h.select(n, n), h.getLogNum(), h.select(at, at, true, ""), h.getLogNum() <= 1,
           h.select(at, unset, true, ""), h.getLogNum() <= 1, r.select(at, unset, key),
           r.getLogNum() <= 1, r.select(unset, at, key), r.getLogNum() <= 1,
           t.deleteSelectList({msg}, &progress), l.loadAll() >= 0, s.readAllSaveMsg(),
           s.getSaveMsg(n, 1, texts), sz(texts), s.getSaveMsg(0, n, texts), sz(texts),
           s.getSaveMsg(n, n, texts), sz(texts)},
          {1, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, n >= 0, n == 0, n >= 0, 2 * (n >= 1), n >= 0, 0});
    check(
        {s.delSaveMsg(n), t.loadAllTimerInfo(), t.getListInfo(n, 1, timed), sz(timed),
         t.getListInfo(0, n, timed), sz(timed), h.loadAllLog(), h.getLog(n, n, sent),
         h.getLog(n, 1, sent), h.getLog(0, n, sent), sz(sent), h.delLog({n}, &progress),
         h.getLogNum(), r.loadAll(), r.getLog(n, n, received) + r.getLog(0, n, received),
         sz(received), r.delSelect(chosen), r.getLogNum()},
        {1, 1, n >= 0, n == 0, n >= 0, n >= 1, 1, 1, 1, 1, n >= 0, 1, 1, 1, n >= 1, n >= 1, 1, 1});
    check({q.loadSendMsg(), q.getMsgNum(), q.getSendQueue(n, kept), q.delSendElment(n),
           kept.recordId, q.delSendMsg({n}), q.delSendMsg({n}, recipients), recipients,
           q.clearAllLog(), q.addLog(kept), q.getLogs(n, n, page) <= 1, q.getLogs(0, n, page) <= 1,
           sz(page), l.getLog(n, n, log) == (l.getLogNum() > 0), at.getString().empty(),
           at.getFullString().size() == (n == -1 ? 0u : at.getString().size() + 3)},
          {1, 1, 0, 0, 42, 1, 1, 0, 1, 1, 1, 1, n >= 1, 1, n == -1, 1});
}

// Login values of n: those below 1 are not taken (some set by hand after);
// times and details of n, a deletion with id n, lengths of n.
void BadInput::numberSending(int n) {
    NET::CNetLogResult login;
    login.mobileCharsPerSms = login.unicomCharsPerSms = login.telecomCharsPerSms = n;
    login.phsCharsPerSms = login.remainingSms = login.packetPauseMs = n;
    login.maxSendCount = login.maxTimedSendCount = login.packSize = n;
    login.firstPackSize = login.timedPackSize = login.packetIdSalt = n;
    settings.setNetConfigData(login, NET::CNetConfigData());
    settings.timedPackSize = settings.telecomCharsPerSms = n;
    std::vector<CSendQueueElement> elements(3), out;
    for (auto& e : elements) e.phone = kPhone, e.message = "abc", e.timerFlag = 1;
    elements[0].leading = true;
    std::vector<QueueData> packets, timed;
    int segments = -1, id = 0, type = 0, length = -1;
    check({std::min({settings.mobileCharsPerSms, settings.phsCharsPerSms, settings.packSize,
                     settings.firstPackSize}) >= 1,
           settings.segmentCount("13312345678", "abc") == (n > 1 ? 1 : 3),
           CSmsPacketSendQueue().Pack(elements, packets, segments),
           segments == 3 * settings.segmentCount(kPhone, "abc"), send("abc") == (n > 1)});
    resetSettings();
    CSmsMsgProcessor p;
    Strings phones, messages;
    char buffer[] = "a%41";
    char* const encoded = CSmsMsgProcessor::urlencode("abc", n, &length);
    check({p.addPhone(kPhone, false, true, id), p.delPhone(kPhone, n),
           p.delPhone(record<CFriend>({"手机"}, kPhone), n),
           p.setTimerDetail(CSmsData(n, n, n, n, n), n), p.getSendQueue(out, false), sz(out),
           out.at(0).timerDetail == n && out[0].timerData.minute == n,
           CSmsPacketSendQueue().Pack(out, timed, segments),
           CSmsPacketSendQueue::UnPack(timed.at(0), phones, messages, type),
           timed[0].timerDetail == n && timed[0].timerData.year == n,
           n > 0 || CSmsMsgProcessor::urldecode(buffer, n) == 0,
           n == INT_MAX ? !encoded : encoded && length == 0 && !*encoded});
    std::free(encoded);
}

// An entry, named for the failure trace.
#define ENTRY(name) std::make_pair(#name, &BadInput::name)

TEST_F(BadInput, TextValues) {
    callAll<V>(texts(), {ENTRY(textContacts), ENTRY(textLibrary), ENTRY(textRecords),
                         ENTRY(textComposing), ENTRY(textSending), ENTRY(textFiles)});
    // Contacts holding every value reach the service as they are, in one
    // upload (each upload waits between batches), last.
    std::vector<int> ids;
    for (V v : texts()) f.addFriend(record<CFriend>({"名字"}, v), {}, ids.emplace_back());
    CNetFriendUpload().Upload();
    const auto sent = gateway->uploadedContacts();
    EXPECT_TRUE(sent.size() >= ids.size() &&
                std::equal(texts().begin(), texts().end(), sent.end() - ids.size(),
                           [](V v, const NET::CNetFriendInfo& c) { return c.name == v; }));
    for (const int id : ids) EXPECT_EQ(f.delFriend(id), 2);
}

TEST_F(BadInput, NumberValues) {
    callAll<int>(kNumbers, {ENTRY(numberContacts), ENTRY(numberLibrary), ENTRY(numberRecords),
                            ENTRY(numberSending)});
}

}  // namespace
