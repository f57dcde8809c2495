// Making written bytes durable before a rename or a reply depends on them.
#pragma once

#include <cstdio>

#include "contracts/export.h"

namespace Platform {

// Flushes the stream's buffers and waits until the system has the file's
// data on disk; false when either step fails.
PLATFORM_API bool syncToDisk(std::FILE* file);

}  // namespace Platform
