// Contact field settings on the main store: one row holding the show and
// personal flags as two bit masks, and one in-memory copy per file shared by
// every store object on it, because a send builds a settings reader per
// contact and should not query the file each time.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "components/data/engine/Connection.h"
#include "contracts/dmg/CFriendSetMsg.h"

namespace Dmg::local {

const engine::Schema& settingsSchema();

class SettingsCache {
public:
    // The copy for the file with identity `fileKey`; it lives while a store
    // object holds it, so a file reopened after every holder is gone is read
    // again.
    static std::shared_ptr<SettingsCache> forFile(const std::string& fileKey);

    // Fills `settings` from memory, or on first use from `db` (defaults when
    // nothing is stored). `db` is null when the store is closed; then only a
    // copy already in memory can answer. False, logged, when nothing can.
    bool read(engine::Connection* db, CFriendSetMsg& settings);
    // Stores `settings` in `db`; memory follows only once the file has it.
    bool write(engine::Connection& db, const CFriendSetMsg& settings);

private:
    std::mutex mutex_;  // also orders writes, so memory matches the last commit
    bool loaded_ = false;
    CFriendSetMsg settings_;
};

}  // namespace Dmg::local
