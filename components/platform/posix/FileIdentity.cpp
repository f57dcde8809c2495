// File identity from stat(): device and inode number.
#include "contracts/platform/FileIdentity.h"

#include <sys/stat.h>

namespace Platform {

bool identifyFile(const std::string& path, FileIdentity& out) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    out.volume = static_cast<unsigned long long>(st.st_dev);
    out.file = static_cast<unsigned long long>(st.st_ino);
    return true;
}

}  // namespace Platform
