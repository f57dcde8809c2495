#include <gtest/gtest.h>

#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CLocalDataSerialize.h"
#include "contracts/dmg/CRejectPhonesDataSerialize.h"
#include "contracts/dmg/CSendLosgMsg.h"
#include "contracts/dmg/CSendQueueSerialize.h"
#include "tests/fakes/TempDir.h"
#include "tests/send_pipeline/PipelineFixture.h"

namespace pipeline {
namespace {

TEST_F(PipelineTest, SendStoresPacketsInTheRealQueueFile) {
    const fakes::TempDir dir;
    Dmg::CDataManager& data = Dmg::CDataManager::getSingleton();
    ASSERT_EQ(data.openUserData(dir.path()), 1);
    static_cast<Dmg::CRejectPhonesDataSerialize*>(data.getDataSerialize("rejectphones"))
        ->setRejectPhones({"13800138001"});
    user.userDir = dir.path();
    settings.packSize = 2;
    SMS::CSmsMsgProcessor p;
    fill(p, {"13800138000", "13800138001", "13800138002", "13800138003"}, "你好");
    ASSERT_EQ(send(p), 1);

    Dmg::CSendQueueSerialize queue;
    ASSERT_EQ(queue.initialize(dir.file("SQu.dll"), "Quenp19990812"), 1);
    std::vector<Dmg::QueueData> stored;
    queue.loadAllQueue(stored);
    queue.close();
    ASSERT_EQ(stored.size(), 3u);
    ASSERT_EQ(queued.size(), 3u);
    for (std::size_t i = 0; i < stored.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(stored[i].recordId, queued[i].recordId);
        EXPECT_EQ(stored[i].phoneList, queued[i].phoneList);
        EXPECT_EQ(stored[i].packetText, queued[i].packetText);
        EXPECT_EQ(stored[i].rejected, i == 2 ? 1 : 0);
        EXPECT_EQ(stored[i].state, Dmg::QueueData::kWaiting);
    }
    EXPECT_EQ(stored[2].phoneList, "13800138001,");
    std::vector<Dmg::CSendLosgMsg> log;
    static_cast<Dmg::CLocalDataSerialize*>(data.getDataSerialize("database"))->readAllSendLog(log);
    EXPECT_EQ(log.size(), 1u);
    data.closeUserData();
}

}  // namespace
}  // namespace pipeline
