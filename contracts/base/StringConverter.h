// Number <-> text conversions of the base library. Nothing here throws.
#pragma once

#include <string>

#include "contracts/export.h"

namespace Base {

class BASE_API StringConverter {
public:
    // Decimal text, nothing added.
    static std::string toString(short value);
    static std::string toString(unsigned short value);
    static std::string toString(int value);
    static std::string toString(unsigned int value);
    static std::string toString(long value);
    static std::string toString(unsigned long value);
    static std::string toString(long long value);
    static std::string toString(unsigned long long value);

    // Like atoi: leading white space, an optional sign, then digits up to the
    // first other byte; 0 when there are none. Out-of-range values saturate.
    static int toInt(const std::string& text);
};

}  // namespace Base
