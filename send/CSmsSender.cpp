#include "send/CSmsSender.h"

#include <string>
#include <vector>

#include "contracts/base/CLog.h"
#include "contracts/base/StringConverter.h"
#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CLocalDataSerialize.h"
#include "contracts/dmg/CRejectWordsDataSerialize.h"
#include "contracts/dmg/CTestPhonesSerialize.h"
#include "contracts/dmg/QueueData.h"
#include "contracts/platform/Time.h"
#include "send/CSendMsg.h"
#include "send/CSmsMsgProcessor.h"
#include "send/CSmsPacketSendQueue.h"
#include "send/CSmsSendStartInstance.h"
#include "send/CUserInfo.h"
#include "send/SendQueueWriter.h"

namespace SMS {
namespace {

using Elements = std::vector<Dmg::CSendQueueElement>;
using Packets = std::vector<Dmg::QueueData>;

void trace(const std::string& text) { Base::CLog::getSingleton().writeMessage(text, 0); }

Dmg::IDataSerialize* store(const char* name) {
    return Dmg::CDataManager::getSingletonPtr()->getDataSerialize(name);
}

// Whole seconds of one stage, from the UTC clock's hour, minute and second.
class StepTimer {
public:
    void start() { m_start = Platform::getSystemTime(); }
    void logElapsed() const {
        const Platform::SystemTime now = Platform::getSystemTime();
        int seconds = (now.wHour - m_start.wHour) * 3600 + (now.wMinute - m_start.wMinute) * 60 +
                      (now.wSecond - m_start.wSecond);
        // A stage that runs over midnight would otherwise log a negative time.
        if (seconds < 0) seconds += 24 * 3600;
        trace(Base::StringConverter::toString(seconds));
    }

private:
    Platform::SystemTime m_start;
};

void progressStep(IBaseProgressDlg& progress) {
    progress.refresh();
    progress.offsetPos(1);
}

// Frees a list's memory at once; a large send holds several copies of it.
template <typename T>
void release(std::vector<T>& list) {
    std::vector<T>().swap(list);
}

std::string rejectWordMessage(const std::string& word) {
    return "此内容含有运营商屏蔽的字符[" + word +
           "]！请查正后再次进行发送！请严格尊守国家相关法律法规，否则造成的一切后里，均将承担"
           "全部责任！";
}

// 0 with the word found when one text for all holds a reject word.
int testCommonText(const std::string& text, std::string& word) {
    auto* const words = static_cast<Dmg::CRejectWordsDataSerialize*>(store("rejectwords"));
    return words == nullptr ? 1 : words->testWord(text, word);
}

void reassignTestPhones(Elements& sendList) {
    auto* const tests = static_cast<Dmg::CTestPhonesSerialize*>(store("testphonenum"));
    if (tests != nullptr) tests->reAssignSendQueue(sendList);
}

// Packs the send list and the rejected list; the rejected packets, flagged,
// follow the send packets. Returns the segments of the send packets.
int packAll(const Elements& sendList, const Elements& rejectedList, Packets& packets) {
    CSmsPacketSendQueue packer;
    int sendSegments = 0;
    if (!sendList.empty()) packer.Pack(sendList, packets, sendSegments);
    Packets rejected;
    int rejectedSegments = 0;
    if (!rejectedList.empty()) packer.Pack(rejectedList, rejected, rejectedSegments);
    for (Dmg::QueueData& packet : rejected) packet.rejected = 1;
    packets.insert(packets.end(), rejected.begin(), rejected.end());
    return sendSegments;
}

// The refusal text when the send segments exceed a limit or the balance,
// else empty.
std::string limitRefusal(bool timed, int sendSegments, const CSmsSendStartInstance& settings) {
    const int limit = timed ? settings.maxTimedSendCount : settings.maxSendCount;
    if (sendSegments > limit) return "发送短信条数超过系统最大限制！";
    if (sendSegments > settings.remainingSms) return "短信剩余条数不足！";
    return std::string();
}

std::string sendLogText(CSmsMsgProcessor& processor, int recipients) {
    const std::string count = Base::StringConverter::toString(recipients);
    if (processor.isTimerMsg()) return "发送" + count + "条定时信息";
    std::string text = "发送" + count + "条信息";
    if (processor.getMsgSoureceType() == 0) {
        CSendMsg msg;
        msg.setMsg(processor.getSendMsg());
        std::string pure;
        msg.getPureMsg(pure);
        text += ",信息含有" + Base::StringConverter::toString(msg.getMsgWord(pure)) +
                "个字(不含个性信息)";
    }
    return text;
}

void writeSendLog(const std::string& senderId, const std::string& senderExtra,
                  const std::string& text) {
    auto* const local = static_cast<Dmg::CLocalDataSerialize*>(store("database"));
    if (local == nullptr) {
        Base::CLog::getSingleton().writeMessage("发送日志未写入: database store missing", 2);
        return;
    }
    local->writeSendLog(senderId, senderExtra, text);
}

}  // namespace

int CSmsSender::send(CSmsMsgProcessor* processor, std::string& errorText,
                     IBaseProgressDlg* progress) {
    CSmsSendStartInstance& settings = *CSmsSendStartInstance::Instance();
    StepTimer timer;

    progress->setRange(0, 6, 1);
    progress->setText("正在进行短信发送预处理...\n\n");
    trace("send Step1");

    trace("filtercode_start");
    timer.start();
    Elements elements;
    const int built = processor->getSendQueue(elements, settings.filterContent != 0);
    trace("filtercode_end");
    timer.logElapsed();
    if (built < 1) {
        errorText = "请选择需要发送的手机号码";
        return built;
    }

    const bool timed = elements.front().timerFlag == 1;
    settings.onSendPrepared();
    progressStep(*progress);

    trace("filtercode1_start");
    timer.start();
    Elements sendList;
    Elements rejectedList;
    if (settings.filterContent == 0) {
        FliterA(elements, sendList, rejectedList);
    } else if (!elements.front().commonMsg) {
        FliterB(elements, sendList, rejectedList);
    } else {
        std::string word;
        if (testCommonText(elements.front().message, word) == 0) {
            errorText = rejectWordMessage(word);
            return 0;
        }
        FliterA(elements, sendList, rejectedList);
    }
    release(elements);
    trace("filtercode1_end");
    timer.logElapsed();

    trace("测试号码开始");
    timer.start();
    reassignTestPhones(sendList);
    trace("send Step2");
    progressStep(*progress);
    trace("测试号码结束");
    timer.logElapsed();

    trace("判断是否剩余短信条数足够开始");
    timer.start();
    Packets packets;
    const int sendSegments = packAll(sendList, rejectedList, packets);
    const int recipients = static_cast<int>(sendList.size());
    release(sendList);
    release(rejectedList);
    trace("send Step3");
    progressStep(*progress);
    const std::string refusal = limitRefusal(timed, sendSegments, settings);
    if (!refusal.empty()) {
        errorText = refusal;
        settings.sendFinished = false;
        return 0;
    }
    settings.remainingSms -= sendSegments;
    progressStep(*progress);
    trace("判断是否剩余短信条数足够结束");
    timer.logElapsed();

    trace("写发送日志开始");
    timer.start();
    const std::string logText = sendLogText(*processor, recipients);
    trace("写发送日志结束");
    timer.logElapsed();

    trace("写队列开始");
    timer.start();
    const CUserInfo& user = *CUserInfo::instance();
    const std::string senderId = user.senderId;
    const std::string senderExtra = user.senderExtra;
    progressStep(*progress);
    trace("send Step4");
    writeSendLog(senderId, senderExtra, logText);
    if (!storeSendQueue(user.userDir, packets)) {
        // Nothing was queued: the balance is given back and nothing is sent.
        settings.remainingSms += sendSegments;
        errorText = "写入发送队列失败，请稍后重试！";
        return 0;
    }
    progressStep(*progress);
    trace("写队列结束");
    timer.logElapsed();

    trace("开始发送");
    timer.start();
    trace("send Step5");
    settings.onPacketsQueued(packets);
    trace("send Step6");
    trace("结束发送");
    timer.logElapsed();
    return 1;
}

}  // namespace SMS
