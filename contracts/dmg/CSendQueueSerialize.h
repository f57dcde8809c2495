// The send-queue store on SQu.dll ("sendqueuemodify", "sendqueuemodifyW").
// Every operation needs initialize() first; initialize/close are cheap.
// A packet's state: QueueData::kWaiting until modifyStatus records its
// outcome as kAccepted (status 1) or kFailed (any other status).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "contracts/dmg/IDataSerialize.h"
#include "contracts/dmg/QueueData.h"
#include "contracts/export.h"

namespace Dmg {

class DMG_API CSendQueueSerialize : public IDataSerialize {
public:
    CSendQueueSerialize();
    ~CSendQueueSerialize() override;

    // 1 when the file is open, 0 (logged) when it cannot be opened.
    virtual int initialize(const std::string& path, const std::string& password);
    virtual int close();
    // Stores all packets in one transaction, state kWaiting, and appends one
    // record id per packet, in order. 1, or 0 with nothing stored.
    virtual int writeQueue(const std::vector<QueueData>& packets, std::vector<int>& ids);
    // Records the outcome of packet `id`: 1 accepted, else failed.
    virtual int modifyStatus(const int& id, const int& status);
    // Keeps the service's key of timed packet `id`, sent but not yet
    // recorded (still waiting), for its timed message: 1, or 0 (logged).
    virtual int setServiceKey(const int& id, const std::string& key);
    // Appends every packet, oldest first, with record id and state.
    virtual int loadAllQueue(std::vector<QueueData>& out);
    // Removes the listed packets that are still waiting, in one transaction;
    // unknown ids are ignored. A packet already sent is kept (it goes to the
    // history) with a log line; the result is still 1.
    virtual int delQueue(const std::vector<int>& ids);

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace Dmg
