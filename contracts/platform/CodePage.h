// Code-page conversion between GBK (Windows code page 936) bytes, wide
// strings and UTF-8. Each call returns false on input that is not valid in
// its source encoding, or that the target cannot hold, and leaves `out` empty.
#pragma once

#include <string>

#include "contracts/export.h"

namespace Platform {

PLATFORM_API bool gbkToWide(const std::string& in, std::wstring& out);
PLATFORM_API bool wideToGbk(const std::wstring& in, std::string& out);
PLATFORM_API bool gbkToUtf8(const std::string& in, std::string& out);
PLATFORM_API bool utf8ToGbk(const std::string& in, std::string& out);

}  // namespace Platform
