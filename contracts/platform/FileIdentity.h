// Which file a path names, to tell whether two paths, or one path at two
// times, name the same file: the device and inode number on POSIX, the volume
// serial number and file index on Windows. Ordered, to key maps by file.
#pragma once

#include <string>
#include <tuple>

#include "contracts/export.h"

namespace Platform {

struct FileIdentity {
    unsigned long long volume = 0;
    unsigned long long file = 0;

    friend bool operator==(const FileIdentity& a, const FileIdentity& b) {
        return a.volume == b.volume && a.file == b.file;
    }
    friend bool operator!=(const FileIdentity& a, const FileIdentity& b) { return !(a == b); }
    friend bool operator<(const FileIdentity& a, const FileIdentity& b) {
        return std::tie(a.volume, a.file) < std::tie(b.volume, b.file);
    }
};

// Fills `out` with the identity of the file or folder at `path` (GBK bytes);
// false, leaving `out` alone, when there is none or it cannot be read.
PLATFORM_API bool identifyFile(const std::string& path, FileIdentity& out);

}  // namespace Platform
