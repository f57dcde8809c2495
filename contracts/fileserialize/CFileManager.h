// The file library: row maps to and from CSV files. Files are GBK bytes on
// disk with RFC 4180 quoting and CRLF line ends; import also takes UTF-8
// files (with or without byte-order mark) and converts them to GBK.
//
// Results: 1 success, 0 failure (logged at level 2). The manager holds no
// mutable state, so several threads may import and export different files
// at once.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "contracts/base/NeverDestroyed.h"
#include "contracts/export.h"

namespace FileSerialize {

class FILE_API CFileManager {
public:
    static CFileManager& getSingleton();
    static CFileManager* getSingletonPtr();

    // Writes the rows in key order (keys other than 0..n-1 read back as
    // 0..n-1). The file at `path` is replaced whole or left untouched.
    int exportToFile(const std::string& path, const std::map<int, std::vector<std::string>>& rows);
    // Reads the file at `path` into rows 0..n-1. `rows` is cleared first and
    // stays empty on failure.
    int importFromFile(const std::string& path, std::map<int, std::vector<std::string>>& rows);

    CFileManager(const CFileManager&) = delete;
    CFileManager& operator=(const CFileManager&) = delete;

private:
    friend class Base::NeverDestroyed<CFileManager>;
    CFileManager() = default;
    ~CFileManager() = default;
};

}  // namespace FileSerialize
