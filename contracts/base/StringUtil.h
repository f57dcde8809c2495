// String helpers of the base library, aware of GBK double-byte characters.
#pragma once

#include <string>
#include <vector>

#include "contracts/export.h"

namespace Base {

class BASE_API StringUtil {
public:
    // Splits `text` at any of the single-byte `delims`. Runs of delimiters
    // count as one and empty pieces are dropped. With maxSplits > 0, at most
    // that many splits are made and the rest stays in the last piece. The
    // second byte of a GBK character is never taken for a delimiter.
    static std::vector<std::string> split(const std::string& text,
                                          const std::string& delims = "\t\n ",
                                          unsigned int maxSplits = 0);
};

}  // namespace Base
