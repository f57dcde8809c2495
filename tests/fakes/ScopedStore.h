// Registers a store object under a name for the life of this object and puts
// the previous one back afterwards, so a test can talk to a fake.
#pragma once

#include <string>
#include <utility>

#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/IDataSerialize.h"

namespace fakes {

class ScopedStore {
public:
    ScopedStore(std::string name, Dmg::IDataSerialize* store)
        : name_(std::move(name)),
          previous_(Dmg::CDataManager::getSingleton().registerDataSerialize(name_, store)) {}
    ~ScopedStore() { Dmg::CDataManager::getSingleton().registerDataSerialize(name_, previous_); }
    ScopedStore(const ScopedStore&) = delete;
    ScopedStore& operator=(const ScopedStore&) = delete;

private:
    std::string name_;
    Dmg::IDataSerialize* previous_;
};

}  // namespace fakes
