#include "contracts/platform/FileSync.h"

#include <unistd.h>

namespace Platform {

bool syncToDisk(std::FILE* file) { return std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0; }

}  // namespace Platform
