#include "send/SendQueueWriter.h"
#include "send/CUserInfo.h"

#include "contracts/base/CLog.h"
#include "contracts/base/StringConverter.h"
#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CSendQueueSerialize.h"

namespace SMS {
namespace {

const char* const kQueueFile = "SQu.dll";
const char* const kQueuePassword = "Quenp19990812";

void trace(const std::string& text) { Base::CLog::getSingleton().writeMessage(text, 0); }

bool fail(const std::string& why) {
    Base::CLog::getSingleton().writeMessage("写入发送队列失败: " + why, 2);
    return false;
}

// The store writes all packets or none, but a store that answers with fewer
// ids than packets has left rows that no packet can refer to: they would be
// sent without a record of their own, so they are taken out again.
bool writeAll(Dmg::CSendQueueSerialize& store, const std::vector<Dmg::QueueData>& packets,
              std::vector<int>& ids) {
    const int written = store.writeQueue(packets, ids);
    if (written != 0 && ids.size() >= packets.size()) return true;
    using Base::StringConverter;
    const std::string counts = StringConverter::toString(static_cast<int>(ids.size())) + "/" +
                               StringConverter::toString(static_cast<int>(packets.size()));
    if (!ids.empty() && store.delQueue(ids) == 0) {
        fail("无法删除已写入的记录 " + counts);
    }
    return fail("writeQueue=" + StringConverter::toString(written) + ", ids " + counts);
}

}  // namespace

bool storeSendQueue(const std::string& userDir, std::vector<Dmg::QueueData>& packets) {
    trace("send Step4A");
    auto* const store = static_cast<Dmg::CSendQueueSerialize*>(
        Dmg::CDataManager::getSingletonPtr()->getDataSerialize("sendqueuemodify"));
    trace("send Step4B");
    if (store == nullptr) return fail("sendqueuemodify store missing");
    const std::string path = userFilePath(userDir, kQueueFile);
    if (store->initialize(path, kQueuePassword) == 0) return fail("cannot open " + path);
    trace("send Step4C");
    std::vector<int> ids;
    const bool written = writeAll(*store, packets, ids);
    if (written) trace("send Step4D");
    store->close();
    if (!written) return false;
    trace("send Step4E");
    for (std::size_t i = 0; i < packets.size(); ++i) packets[i].recordId = ids[i];
    return true;
}

}  // namespace SMS
