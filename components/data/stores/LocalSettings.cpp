#include "components/data/stores/LocalSettings.h"

#include <cstdint>
#include <cstring>
#include <iterator>
#include <map>

#include "components/data/engine/Statement.h"
#include "components/data/engine/WriteTransaction.h"
#include "contracts/base/CLog.h"
#include "contracts/base/NeverDestroyed.h"

namespace Dmg::local {
namespace {

using Flags = bool[CFriendSetMsg::kFieldCount];
constexpr std::int64_t kMaskLimit = std::int64_t{1} << CFriendSetMsg::kFieldCount;

void logFailure(const std::string& what) {
    Base::CLog::getSingleton().writeMessage("data: contact field settings: " + what, 2);
}

// A flag counts as set when its byte is non-zero, whatever a caller put there.
std::int64_t toMask(const Flags& flags) {
    std::int64_t mask = 0;
    for (int i = 0; i < CFriendSetMsg::kFieldCount; ++i) {
        unsigned char byte = 0;
        std::memcpy(&byte, &flags[i], 1);
        if (byte != 0) mask |= std::int64_t{1} << i;
    }
    return mask;
}

void fromMask(std::int64_t mask, Flags& flags) {
    for (int i = 0; i < CFriendSetMsg::kFieldCount; ++i) flags[i] = ((mask >> i) & 1) != 0;
}

bool validMask(std::int64_t mask) { return mask >= 0 && mask < kMaskLimit; }

// The stored record, or the defaults when there is none.
bool load(engine::Connection& db, CFriendSetMsg& out) {
    engine::Statement select(db.db(),
                             "SELECT show_mask, personal_mask FROM friend_settings WHERE id = 1");
    switch (select.step()) {
        case engine::Statement::Step::Done:
            out = CFriendSetMsg();
            return true;
        case engine::Statement::Step::Row:
            break;
        case engine::Statement::Step::Error:
            logFailure("cannot read the stored record");
            return false;
    }
    const std::int64_t show = select.int64(0);
    const std::int64_t personal = select.int64(1);
    if (!validMask(show) || !validMask(personal)) {
        logFailure("the stored record is damaged");
        return false;
    }
    fromMask(show, out.showFlags);
    fromMask(personal, out.personalFlags);
    return true;
}

}  // namespace

const engine::Schema& settingsSchema() {
    static Base::NeverDestroyed<const engine::Schema> schema{engine::Schema{
        "friend_settings",
        {"CREATE TABLE friend_settings (id INTEGER PRIMARY KEY CHECK (id = 1), "
         "show_mask INTEGER NOT NULL, personal_mask INTEGER NOT NULL)"}}};
    return schema.get();
}

std::shared_ptr<SettingsCache> SettingsCache::forFile(const std::string& fileKey) {
    struct Registry {
        std::mutex mutex;
        // Any thread opening a main store, under mutex.
        std::map<std::string, std::weak_ptr<SettingsCache>> caches;
    };
    static Base::NeverDestroyed<Registry> registry;
    const std::lock_guard<std::mutex> lock(registry.get().mutex);
    auto& caches = registry.get().caches;
    for (auto it = caches.begin(); it != caches.end();) {
        it = it->second.expired() ? caches.erase(it) : std::next(it);
    }
    auto& slot = caches[fileKey];
    auto cache = slot.lock();
    if (!cache) {
        cache = std::make_shared<SettingsCache>();
        slot = cache;
    }
    return cache;
}

bool SettingsCache::read(engine::Connection* db, CFriendSetMsg& settings) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!loaded_) {
        if (db == nullptr) {
            logFailure("the store is not open");
            return false;
        }
        CFriendSetMsg stored;
        if (!load(*db, stored)) return false;
        settings_ = stored;
        loaded_ = true;
    }
    settings = settings_;
    return true;
}

bool SettingsCache::write(engine::Connection& db, const CFriendSetMsg& settings) {
    const std::lock_guard<std::mutex> lock(mutex_);
    CFriendSetMsg normalized;
    const std::int64_t show = toMask(settings.showFlags);
    const std::int64_t personal = toMask(settings.personalFlags);
    fromMask(show, normalized.showFlags);
    fromMask(personal, normalized.personalFlags);

    engine::WriteTransaction tx(db);
    engine::Statement upsert(
        db.db(),
        "INSERT OR REPLACE INTO friend_settings (id, show_mask, personal_mask) "
        "VALUES (1, ?, ?)");
    upsert.bind(1, show).bind(2, personal);
    if (!tx.ok() || !upsert.run() || !tx.commit()) {
        logFailure("cannot store the record");
        return false;
    }
    settings_ = normalized;
    loaded_ = true;
    return true;
}

}  // namespace Dmg::local
