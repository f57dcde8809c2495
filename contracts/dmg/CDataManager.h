// The data library's registry of stores, one object per store name.
#pragma once

#include <map>
#include <memory>
#include <shared_mutex>
#include <string>

#include "contracts/export.h"

namespace Dmg {

class IDataSerialize;

class DMG_API CDataManager {
public:
    static CDataManager& getSingleton();
    static CDataManager* getSingletonPtr();

    // The store registered under `name`, or null when there is none.
    IDataSerialize* getDataSerialize(const std::string& name) const;

    // Puts `store` (not owned; null removes the entry) under `name` and
    // returns the store it replaces, so that a caller, such as a test
    // installing a fake, can put it back afterwards.
    IDataSerialize* registerDataSerialize(const std::string& name, IDataSerialize* store);

    CDataManager(const CDataManager&) = delete;
    CDataManager& operator=(const CDataManager&) = delete;

private:
    CDataManager();
    ~CDataManager();

    // Stores the data library creates and owns.
    std::map<std::string, std::unique_ptr<IDataSerialize>> owned_;
    // What getDataSerialize hands out.
    std::map<std::string, IDataSerialize*> active_;
    mutable std::shared_mutex mutex_;
};

}  // namespace Dmg
