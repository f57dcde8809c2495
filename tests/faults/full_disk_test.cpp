// A full disk: the files may grow by less than a page. The send pipeline, the
// sending and log threads and the managers refuse or put off what they cannot
// write, say so, lose and half-write nothing, and once there is room again
// carry on by themselves: every queued packet reaches the history once.
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "addressbook/CFriendMag.h"
#include "contracts/dmg/CLocalDataSerialize.h"
#include "contracts/net/CEmbeddedGateway.h"
#include "library/CWordMag.h"
#include "tests/fakes/LogCapture.h"
#include "tests/fakes/WaitUntil.h"
#include "tests/faults/SendRoad.h"

namespace faulttest {
namespace {

// Less than one page of a write-ahead log.
constexpr std::int64_t kRoom = 1024;
const std::string kQueueRefused = "写入发送队列失败，请稍后重试！";
const std::string kOutcomeKept = "发送结果未能写入发送队列, 暂存内存, 稍后重试: ";
const std::string kMoveStuck = "发送记录无法移入历史记录, 已发送的数据包留在发送队列中, 稍后重试";
const std::string kMoveResumed = "发送记录已恢复移入历史记录";

class FullDisk : public SendRoad {
protected:
    FullDisk() {
        SMS::NET::CNetInterfaceMag::instance()->setGateway(
            std::make_shared<SMS::NET::CEmbeddedGateway>());
        EXPECT_EQ(data().openUserData(dir.path()), 1);
        queued();  // creates SQu.dll
    }

    // Folds the logs into the files (no thread may hold a file then), so the
    // next write must grow a file, and lets them grow by kRoom only.
    void fillDisk() {
        data().closeUserData();
        ASSERT_EQ(data().openUserData(dir.path()), 1);
        vfs().setQuota(vfs().usedBytes() + kRoom);
    }

    int lines(const std::string& prefix) const {
        int n = 0;
        for (const auto& line : log.texts(2)) n += line.rfind(prefix, 0) == 0 ? 1 : 0;
        return n;
    }

    bool idle() { return !service->isSendThreadActive() && !service->logThreadRunning(); }

    fakes::LogCapture log;
};

// Keeps the worker's place taken while it lives, so a send queued meanwhile
// starts no such thread.
class NoThread {
public:
    explicit NoThread(SMS::CSmsSendLoadMag::Worker worker) : worker_(worker) {
        EXPECT_TRUE(SMS::CSmsSendLoadMag::instance()->claim(worker));
    }
    ~NoThread() { SMS::CSmsSendLoadMag::instance()->unclaim(worker_); }
    NoThread(const NoThread&) = delete;
    NoThread& operator=(const NoThread&) = delete;

private:
    SMS::CSmsSendLoadMag::Worker worker_;
};

using Worker = SMS::CSmsSendLoadMag::Worker;

// Where the disk fills: before a send is queued (it is refused, the balance
// given back, nothing stored), before the sender stores the outcomes (kept
// in memory, tried again), before the log thread moves the packets (kept in
// the queue, tried again). Then the quota is lifted and the threads go on.
TEST_F(FullDisk, SendsAreRefusedOrKeptAndMovedOnceThereIsRoom) {
    enum Where { QueueWrite, Outcomes, LogMove };
    for (const Where where : {QueueWrite, Outcomes, LogMove}) {
        SCOPED_TRACE(where == QueueWrite ? "queue write" : where == Outcomes ? "outcomes" : "log move");
        log.clear();
        if (where == QueueWrite) {
            fillDisk();
            const int balance = settings.remainingSms;
            std::string error;
            EXPECT_EQ(send(3, false, &error), 0);
            EXPECT_EQ(error, kQueueRefused);
            EXPECT_EQ(settings.remainingSms, balance);
            EXPECT_TRUE(queued().empty());
            vfs().setQuota(std::nullopt);
            EXPECT_EQ(send(3, false), 1);
        } else if (where == Outcomes) {
            {
                const NoThread sender(Worker::Sender), logger(Worker::Logger);
                ASSERT_EQ(send(4, false), 1);  // two packets
                ASSERT_EQ(send(2, true), 1);   // one timed packet
                fillDisk();
            }
            service->sendQueueData();
            service->WriteSendLog();
            ASSERT_TRUE(fakes::waitUntil([&] { return lines(kOutcomeKept) == 3; }));
            vfs().setQuota(std::nullopt);
        } else {
            {
                const NoThread logger(Worker::Logger);
                ASSERT_EQ(send(4, false), 1);
                ASSERT_TRUE(fakes::waitUntil([&] { return idle(); }));
                fillDisk();
            }
            service->WriteSendLog();
            ASSERT_TRUE(fakes::waitUntil([&] { return lines(kMoveStuck) == 1; }));
            vfs().setQuota(std::nullopt);
            ASSERT_TRUE(fakes::waitUntil([&] { return lines(kMoveResumed) == 1; }));
        }
        ASSERT_TRUE(fakes::waitUntil([&] { return idle(); }, std::chrono::seconds(60)));
        EXPECT_TRUE(queued().empty());
        Counts accepted, keyed;
        const Counts seen = stored(&accepted);
        std::vector<Dmg::CTimerMsg> timerMsgs;
        EXPECT_EQ(store<Dmg::CLocalDataSerialize>("database").getAllTimerMsg(timerMsgs), 1);
        for (const auto& m : timerMsgs) {
            // With the service's key, so that it can be cancelled.
            for (const auto& phone : split(m.phoneList)) keyed[phone] += m.serviceKey.empty() ? 0 : 1;
        }
        for (const auto& s : sends) {
            for (const auto& phone : s.phones) {
                SCOPED_TRACE(phone);
                const auto it = seen.find(phone);
                EXPECT_EQ(it == seen.end() ? 0 : it->second, s.reported ? 1 : 0);
                EXPECT_EQ(accepted[phone], s.reported ? 1 : 0);
                EXPECT_EQ(keyed[phone], s.timed && s.reported ? 1 : 0);
            }
        }
    }
}

// A write of each manager that keeps a cache refused for the full disk, with
// a log line and nothing stored, then accepted once there is room. (A full
// disk under a plain list store: the store fault test.)
TEST_F(FullDisk, ManagerWritesAreRefusedThenAccepted) {
    SMS::CFriendMag friends;
    SMS::CWordMag words;
    const struct {
        const char* name;
        int ok;  // what the write gives when it succeeds
        std::function<int()> write, count;
    } writes[] = {
        {"contact", 1,
         [&] {
             Dmg::CFriend c;
             c.getFirendStrut().name = "张伟";
             c.getFirendStrut().mobile = "13900139000";
             int id = 0;
             return friends.addFriend(c, id);
         },
         [&] { return friends.getGroupFriendNum(1) == 1 ? friends.getCurFriendNum() : -1; }},
        {"phrase", 2,
         [&] {
             Dmg::CWord w;
             w.getWordStrut().content = "节日快乐";
             std::vector<int> ids;
             return words.addWord(w, {}, ids);
         },
         [&] { return words.getGroupWordNum(1) == 1 ? words.getCurWordNum() : -1; }},
    };
    for (const auto& w : writes) {
        SCOPED_TRACE(w.name);
        fillDisk();
        log.clear();
        EXPECT_EQ(w.write(), 0);
        EXPECT_FALSE(log.texts(2).empty());
        EXPECT_EQ(w.count(), 0);
        vfs().setQuota(std::nullopt);
        EXPECT_EQ(w.write(), w.ok);
        EXPECT_EQ(w.count(), 1);
    }
}

}  // namespace
}  // namespace faulttest
