// Base of every store of the data library. A store is reached by name through
// CDataManager and used as its concrete class.
#pragma once

#include "contracts/export.h"

namespace Dmg {

class DMG_API IDataSerialize {
public:
    IDataSerialize() = default;
    IDataSerialize(const IDataSerialize&) = default;
    IDataSerialize& operator=(const IDataSerialize&) = default;
    virtual ~IDataSerialize();
};

}  // namespace Dmg
