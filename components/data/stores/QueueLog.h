// The failure line of the queue and history stores: a store result of 0 is
// always explained in the log at level 2.
#pragma once

#include <string>

#include "contracts/base/CLog.h"

namespace Dmg::stores {

inline int failed(const std::string& store, const std::string& what) {
    Base::CLog::getSingleton().writeMessage("data: " + store + ": " + what, 2);
    return 0;
}

}  // namespace Dmg::stores
