#include <climits>
#include <filesystem>
#include <memory>

#include "components/data/engine/Database.h"
#include "components/data/engine/Key.h"
#include "components/data/stores/LocalSendLog.h"
#include "components/data/stores/LocalSettings.h"
#include "contracts/base/CLog.h"
#include "contracts/dmg/CLocalDataSerialize.h"
#include "contracts/platform/Time.h"

namespace Dmg {
namespace {

void logFailure(const std::string& what) {
    Base::CLog::getSingleton().writeMessage("data: main store: " + what, 2);
}

// Names one database file: its canonical path and the random salt written
// when it was created, so a file replaced at the same path is a new file.
std::string fileKey(const std::string& path) {
    std::error_code ec;
    const auto canonical = std::filesystem::weakly_canonical(path, ec);
    std::string salt;
    engine::readSalt(path, salt);
    return (ec ? path : canonical.string()) + '\n' + salt;
}

CSmsData localTimeNow() {
    const Platform::SystemTime now = Platform::getLocalTime();
    return CSmsData(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute);
}

}  // namespace

struct CLocalDataSerialize::Impl {
    engine::Database db;
    // Kept after close, so readers between close and the next open are
    // still served.
    std::shared_ptr<local::SettingsCache> settings;

    engine::Connection* connection() { return db.isOpen() ? &db.connection() : nullptr; }

    bool open(const std::string& path, const std::string& password) {
        return db.open(path, password, local::settingsSchema()) &&
               db.connection().ensure(local::sendLogSchema());
    }
};

CLocalDataSerialize::CLocalDataSerialize() : impl_(std::make_unique<Impl>()) {}
CLocalDataSerialize::~CLocalDataSerialize() = default;

int CLocalDataSerialize::initialize(const std::string& path, const std::string& password) {
    if (!impl_->open(path, password)) {
        impl_->db.close();
        impl_->settings.reset();
        logFailure("cannot open " + path);
        return 0;
    }
    impl_->settings = local::SettingsCache::forFile(fileKey(path));
    return 1;
}

int CLocalDataSerialize::close() {
    impl_->db.close();
    return 1;
}

int CLocalDataSerialize::readSetting(CFriendSetMsg& settings) {
    if (!impl_->settings) {
        logFailure("readSetting before initialize");
        return 0;
    }
    return impl_->settings->read(impl_->connection(), settings) ? 1 : 0;
}

int CLocalDataSerialize::setSetting(const CFriendSetMsg& settings) {
    engine::Connection* const db = impl_->connection();
    if (db == nullptr) {
        logFailure("setSetting while not open");
        return 0;
    }
    return impl_->settings->write(*db, settings) ? 1 : 0;
}

int CLocalDataSerialize::writeSendLog(const std::string& senderId, const std::string& senderExtra,
                                      const std::string& text) {
    engine::Connection* const db = impl_->connection();
    if (db == nullptr) {
        logFailure("writeSendLog while not open");
        return 0;
    }
    CSendLosgMsg entry;
    entry.time = localTimeNow();
    entry.firstText = text;
    entry.secondText = senderId;
    entry.thirdText = senderExtra;
    return local::appendSendLog(*db, entry) ? 1 : 0;
}

int CLocalDataSerialize::readAllSendLog(std::vector<CSendLosgMsg>& out) {
    engine::Connection* const db = impl_->connection();
    if (db == nullptr) {
        logFailure("readAllSendLog while not open");
        return 0;
    }
    const std::size_t before = out.size();
    if (!local::readSendLog(*db, out)) return 0;
    // One more than the entries appended, so that "greater than 1" reads as
    // "at least one entry".
    const std::size_t appended = out.size() - before;
    return appended >= static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(appended) + 1;
}

}  // namespace Dmg
