// The log thread's store ("logsendqueue"): moves finished packets from the
// send queue (SQu.dll) into the history (HLog.dll), exactly once.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "contracts/dmg/IDataSerialize.h"
#include "contracts/dmg/QueueData.h"
#include "contracts/export.h"

namespace Dmg {

class DMG_API CLogSendQueueSerialize : public IDataSerialize {
public:
    CLogSendQueueSerialize();
    ~CLogSendQueueSerialize() override;

    virtual int initializeHistroyDB(const std::string& path, const std::string& password);
    virtual int initializeSendQueueDB(const std::string& path, const std::string& password);
    virtual int initializeMainDB(const std::string& path, const std::string& password);
    virtual int closeHistoryDB();
    virtual int closeSendQueueDB();
    virtual int closeMainDB();

    // Appends the finished packets (state not kWaiting) and their record ids.
    virtual int getAllSendData(std::vector<QueueData>& records, std::vector<int>& ids);
    // Writes one history row per record, keyed by its record id, in one
    // transaction; records already in the history are not added again.
    virtual int writeLog(const std::vector<QueueData>& records);
    // Deletes the listed packets from the queue, but only those whose history
    // row is committed.
    virtual int deleteSendData(const std::vector<int>& ids);

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace Dmg
