// The whole background path on real database files and the embedded gateway.
#include "tests/queue_send/QueueFakes.h"

#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CHistoryLogSerialize.h"
#include "contracts/net/CEmbeddedGateway.h"
#include "contracts/net/CNetSendASend.h"

namespace queuetest {
namespace {

const char* const kPassword = "Quenp19990812";

Dmg::QueueData realPacket(int n) {
    SMS::NET::CNetSendASend p;
    p.packetId = n;
    p.phones = {"13800138000"};
    p.commonText = "hello";
    Dmg::QueueData q;
    p.getPacketT(q.packetText);
    q.commonMsg = 1;
    q.packetId = n;
    q.recipientCount = 1;
    q.segmentCount = 1;
    q.displayText = std::to_string(n);
    q.phoneList = "13800138000,";
    return q;
}

class EndToEnd : public QueueTest {
protected:
    EndToEnd() { Dmg::CDataManager::getSingleton().openUserData(dir.path()); }
    ~EndToEnd() override {
        service.reset();
        Dmg::CDataManager::getSingleton().closeUserData();
    }
    // Writes the packets to SQu.dll as the pipeline does, with their ids.
    std::vector<Dmg::QueueData> stored(int first, int count) {
        std::vector<Dmg::QueueData> packets;
        for (int n = first; n < first + count; ++n) packets.push_back(realPacket(n));
        auto& store = *static_cast<Dmg::CSendQueueSerialize*>(
            Dmg::CDataManager::getSingleton().getDataSerialize("sendqueuemodify"));
        std::vector<int> ids;
        store.initialize(dir.file("SQu.dll"), kPassword);
        EXPECT_EQ(1, store.writeQueue(packets, ids));
        store.close();
        for (std::size_t i = 0; i < packets.size(); ++i) packets[i].recordId = ids[i];
        return packets;
    }
};

TEST_F(EndToEnd, ThousandPacketsEndInTheHistoryOnce) {
    // The real stores, not the fakes of the fixture.
    Dmg::CSendQueueSerialize sendStoreReal;
    Dmg::CLogSendQueueSerialize logStoreReal;
    fakes::ScopedStore realSend("sendqueuemodifyW", &sendStoreReal);
    fakes::ScopedStore realLog("logsendqueue", &logStoreReal);
    auto gateway = std::make_shared<SMS::NET::CEmbeddedGateway>();
    gateway->setRefuseEveryNth(10);
    SMS::NET::CNetInterfaceMag::instance()->setGateway(gateway);

    const int kPackets = 1000;
    for (int first = 1; first <= kPackets; first += 100) addSendQueue(stored(first, 100));
    ASSERT_TRUE(waitIdle(*service, std::chrono::seconds(120)));

    EXPECT_EQ(static_cast<std::size_t>(kPackets), doneIds().size());
    EXPECT_EQ(1, log.count("LogStart Sleep9--"));
    auto& queueStore = *static_cast<Dmg::CSendQueueSerialize*>(
        Dmg::CDataManager::getSingleton().getDataSerialize("sendqueuemodify"));
    std::vector<Dmg::QueueData> left;
    queueStore.initialize(dir.file("SQu.dll"), kPassword);
    queueStore.loadAllQueue(left);
    queueStore.close();
    EXPECT_TRUE(left.empty());

    auto& history = *static_cast<Dmg::CHistoryLogSerialize*>(
        Dmg::CDataManager::getSingleton().getDataSerialize("historylog"));
    std::vector<Dmg::CHistoryMsg> rows;
    history.initialize(dir.file("HLog.dll"), kPassword);
    history.getAllLog(rows);
    history.close();
    std::map<int, int> seen;
    for (const auto& row : rows) {
        const int n = std::stoi(row.firstText);
        ++seen[n];
        EXPECT_EQ(n % 10 != 0, row.success) << n;
    }
    EXPECT_EQ(static_cast<std::size_t>(kPackets), seen.size());
    for (const auto& [n, times] : seen) EXPECT_EQ(1, times) << n;
}

}  // namespace
}  // namespace queuetest
