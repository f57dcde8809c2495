#include "contracts/dmg/CDataManager.h"

#include <mutex>

#include "contracts/dmg/IDataSerialize.h"
#include "contracts/dmg/UserConfigSerialize.h"

namespace Dmg {

IDataSerialize::~IDataSerialize() = default;

CDataManager::CDataManager() {
    owned_["userconfigfile"] = std::make_unique<UserConfigSerialize>();
    for (const auto& [name, store] : owned_) active_[name] = store.get();
}

CDataManager::~CDataManager() = default;

CDataManager& CDataManager::getSingleton() {
    // Lives in this shared object only, so every caller sees the same stores.
    static CDataManager manager;
    return manager;
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

}  // namespace Dmg
