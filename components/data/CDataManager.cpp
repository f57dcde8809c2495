#include "contracts/dmg/CDataManager.h"

#include <mutex>

#include "components/data/engine/Database.h"
#include "contracts/base/CLog.h"
#include "contracts/dmg/CHistoryLogSerialize.h"
#include "contracts/dmg/CLocalDataSerialize.h"
#include "contracts/dmg/CLogSendQueueSerialize.h"
#include "contracts/dmg/CRejectPhonesDataSerialize.h"
#include "contracts/dmg/CRejectWordsDataSerialize.h"
#include "contracts/dmg/CSendQueueSerialize.h"
#include "contracts/dmg/CTestPhonesSerialize.h"
#include "contracts/dmg/IDataSerialize.h"
#include "contracts/dmg/UserConfigSerialize.h"

namespace Dmg {

IDataSerialize::~IDataSerialize() = default;

namespace {

const char* const kPassword = "Quenp19990812";

// The stores that the library uses without opening them itself, with the
// file each lives in.
struct UserStore {
    const char* name;
    const char* file;
};
const UserStore kUserStores[] = {
    {"database", "Main.dll"},     {"historylog", "HLog.dll"},   {"rejectwords", "Main.dll"},
    {"rejectphones", "Main.dll"}, {"testphonenum", "Main.dll"}, {"userconfigfile", "Main.dll"},
};

// Opens or closes one owned store by its concrete class.
template <typename Store>
bool openAs(IDataSerialize* store, const std::string& path) {
    return static_cast<Store*>(store)->initialize(path, kPassword) == 1;
}
template <typename Store>
void closeAs(IDataSerialize* store) {
    static_cast<Store*>(store)->close();
}

}  // namespace

CDataManager::CDataManager() {
    owned_["database"] = std::make_unique<CLocalDataSerialize>();
    owned_["database1"] = std::make_unique<CLocalDataSerialize>();
    owned_["historylog"] = std::make_unique<CHistoryLogSerialize>();
    owned_["logsendqueue"] = std::make_unique<CLogSendQueueSerialize>();
    owned_["sendqueuemodify"] = std::make_unique<CSendQueueSerialize>();
    owned_["sendqueuemodifyW"] = std::make_unique<CSendQueueSerialize>();
    owned_["rejectwords"] = std::make_unique<CRejectWordsDataSerialize>();
    owned_["rejectphones"] = std::make_unique<CRejectPhonesDataSerialize>();
    owned_["testphonenum"] = std::make_unique<CTestPhonesSerialize>();
    owned_["userconfigfile"] = std::make_unique<UserConfigSerialize>();
    for (const auto& [name, store] : owned_) active_[name] = store.get();
}

CDataManager::~CDataManager() = default;

CDataManager& CDataManager::getSingleton() {
    // Lives in this shared object only, so every caller sees the same stores.
    // Never destroyed: a sending or log thread may still use a store at exit.
    static Base::NeverDestroyed<CDataManager> manager;
    return manager.get();
}

CDataManager* CDataManager::getSingletonPtr() { return &getSingleton(); }

IDataSerialize* CDataManager::getDataSerialize(const std::string& name) const {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    const auto it = active_.find(name);
    return it == active_.end() ? nullptr : it->second;
}

IDataSerialize* CDataManager::registerDataSerialize(const std::string& name,
                                                    IDataSerialize* store) {
    std::unique_lock<std::shared_mutex> lock(mutex_);
    IDataSerialize* previous = nullptr;
    const auto it = active_.find(name);
    if (it != active_.end()) {
        previous = it->second;
        if (store == nullptr)
            active_.erase(it);
        else
            it->second = store;
    } else if (store != nullptr) {
        active_.emplace(name, store);
    }
    return previous;
}

bool CDataManager::openOwned(const std::string& name, const std::string& path) {
    IDataSerialize* store = owned_.at(name).get();
    if (name == "database") return openAs<CLocalDataSerialize>(store, path);
    if (name == "historylog") return openAs<CHistoryLogSerialize>(store, path);
    if (name == "rejectwords") return openAs<CRejectWordsDataSerialize>(store, path);
    if (name == "rejectphones") return openAs<CRejectPhonesDataSerialize>(store, path);
    if (name == "testphonenum") return openAs<CTestPhonesSerialize>(store, path);
    return openAs<UserConfigSerialize>(store, path);
}

void CDataManager::closeOwned(const std::string& name) {
    IDataSerialize* store = owned_.at(name).get();
    if (name == "database") return closeAs<CLocalDataSerialize>(store);
    if (name == "historylog") return closeAs<CHistoryLogSerialize>(store);
    if (name == "rejectwords") return closeAs<CRejectWordsDataSerialize>(store);
    if (name == "rejectphones") return closeAs<CRejectPhonesDataSerialize>(store);
    if (name == "testphonenum") return closeAs<CTestPhonesSerialize>(store);
    return closeAs<UserConfigSerialize>(store);
}

int CDataManager::openUserData(const std::string& userDir) {
    const std::lock_guard<std::mutex> lock(userDataMutex_);
    closeUserDataLocked();
    for (const auto& store : kUserStores) {
        // No user folder is no file: not one in the root folder.
        if (userDir.empty() || !openOwned(store.name, userDir + "/" + store.file)) {
            Base::CLog::getSingleton().writeMessage(
                std::string("data: cannot open the user data in ") + userDir + " (" + store.name +
                    ")",
                2);
            closeUserDataLocked();
            return 0;
        }
    }
    return 1;
}

void CDataManager::closeUserData() {
    const std::lock_guard<std::mutex> lock(userDataMutex_);
    closeUserDataLocked();
}

void CDataManager::closeUserDataLocked() {
    for (const auto& store : kUserStores) closeOwned(store.name);
    engine::closeIdleConnections();
}

}  // namespace Dmg
