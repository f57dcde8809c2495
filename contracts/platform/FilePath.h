// The library's paths as each file interface takes them. A library path is a
// std::string of the system's own bytes on POSIX and of GBK on Windows. On
// Windows every narrow interface reads such a name its own way: a
// std::filesystem::path made from char (libstdc++ on MinGW) takes each byte as
// the character of that number and gives UTF-8 back from string(), the C
// library and spdlog take the ANSI code page, SQLite takes UTF-8. Files are
// therefore named only through these.
//
// A library path that is not valid GBK on Windows, or that holds a NUL byte
// (which ends a name for the system), becomes an empty result: every file
// call fails on an empty name, so no other file is ever touched.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

#include "contracts/export.h"

namespace Platform {

// `path` as the system names it: its bytes on POSIX, GBK decoded to UTF-16
// on Windows. Empty when `path` is empty, holds a NUL byte or is not GBK.
PLATFORM_API std::filesystem::path filePath(const std::string& path);

// A system path back in the library's form: its bytes on POSIX, GBK on
// Windows. Empty when the name holds a character GBK cannot write.
PLATFORM_API std::string pathString(const std::filesystem::path& path);

// `path` as SQLite takes file names: its bytes on POSIX, UTF-8 on Windows.
// Empty when `path` is empty, holds a NUL byte or is not GBK.
PLATFORM_API std::string sqlitePath(const std::string& path);

// `path` made absolute, with "." and ".." and symbolic links resolved as far
// as the folders exist, in the library's form: one name per file, for keys.
// `path` itself when the system cannot make it.
PLATFORM_API std::string canonicalPath(const std::string& path);

// std::fopen of the file the system names `name` (from filePath), with the
// ASCII `mode`, also on Windows where fopen reads the ANSI code page; null on
// failure and for an empty name.
PLATFORM_API std::FILE* openFile(const std::filesystem::path& name, const char* mode);
// A narrow string would become a path without the conversion above.
std::FILE* openFile(const std::string& path, const char* mode) = delete;

}  // namespace Platform
