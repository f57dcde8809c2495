// What one main-store object holds, shared by the source files that
// implement its parts (address book, phrases, reminders, saved messages,
// received replies, settings, send log, timed messages).
#pragma once

#include <memory>
#include <string>

#include "components/data/engine/Database.h"
#include "components/data/stores/AlertTable.h"
#include "components/data/stores/ContactTable.h"
#include "components/data/stores/FriendGroupTable.h"
#include "components/data/stores/LocalSendLog.h"
#include "components/data/stores/LocalSettings.h"
#include "components/data/stores/ReplyTable.h"
#include "components/data/stores/SaveMsgTable.h"
#include "components/data/stores/StoreSearch.h"
#include "components/data/stores/TimerMsgTable.h"
#include "components/data/stores/WordTable.h"
#include "contracts/base/CLog.h"
#include "contracts/dmg/CLocalDataSerialize.h"

namespace Dmg {
namespace local {

inline void logFailure(const std::string& what) {
    Base::CLog::getSingleton().writeMessage("data: main store: " + what, 2);
}

}  // namespace local

struct CLocalDataSerialize::Impl {
    engine::Database db;
    // Kept after close, so readers between close and the next open are
    // still served.
    std::shared_ptr<local::SettingsCache> settings;

    engine::Connection* connection() { return db.isOpen() ? &db.connection() : nullptr; }

    bool open(const std::string& path, const std::string& password) {
        return db.open(path, password, local::settingsSchema()) &&
               db.connection().ensure(local::sendLogSchema()) &&
               db.connection().ensure(local::contactSchema()) &&
               db.connection().ensure(local::friendGroupSchema()) &&
               db.connection().ensure(local::wordSchema()) &&
               db.connection().ensure(local::alertSchema()) &&
               db.connection().ensure(local::saveMsgSchema()) &&
               db.connection().ensure(local::replySchema()) &&
               db.connection().ensure(local::timerMsgSchema()) &&
               local::addTextFunctions(db.connection()) &&
               // 32 MiB of pages: a large import or group listing then
               // encrypts and decrypts each page once.
               db.connection().exec("PRAGMA cache_size = -32768");
    }

    // Runs `op` on the open connection; 0, logged, when the store is closed.
    template <class Op>
    int with(const char* what, Op op) {
        engine::Connection* const c = connection();
        if (c == nullptr) {
            local::logFailure(std::string(what) + " while not open");
            return 0;
        }
        return op(*c);
    }
};

}  // namespace Dmg
