// The main store as the address book reaches it: looked up by name at every
// use, as the data library hands it out. Null when nothing is registered
// under the name; callers then report failure instead of crashing.
#pragma once

#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CLocalDataSerialize.h"

namespace SMS::addressbook {

inline Dmg::CLocalDataSerialize* mainStore(const char* name = "database") {
    return static_cast<Dmg::CLocalDataSerialize*>(
        Dmg::CDataManager::getSingletonPtr()->getDataSerialize(name));
}

// Calls `call` on the store, or gives 0 when there is none.
template <typename Call>
int onMainStore(Call&& call) {
    Dmg::CLocalDataSerialize* const store = mainStore();
    return store != nullptr ? call(*store) : 0;
}

}  // namespace SMS::addressbook
