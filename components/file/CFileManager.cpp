#include "contracts/fileserialize/CFileManager.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <new>
#include <random>
#include <system_error>

#include "components/file/CsvReader.h"
#include "components/file/CsvWriter.h"
#include "components/file/Limits.h"
#include "components/file/TextEncoding.h"
#include "contracts/base/CLog.h"
#include "contracts/platform/CodePage.h"
#include "contracts/platform/FilePath.h"
#include "contracts/platform/FileSync.h"

namespace FileSerialize {
namespace {

namespace fs = std::filesystem;

int failed(const char* what, const std::string& path, const std::string& why) {
    Base::CLog::getSingleton().writeMessage(std::string(what) + " " + path + ": " + why, 2);
    return 0;
}

// A file name ends at its first NUL byte for the system, so a path holding
// one would name another file than the caller's.
bool nameHoldsNul(const std::string& path, std::string& why) {
    if (path.find('\0') == std::string::npos) return false;
    why = "the file name holds a NUL byte";
    return true;
}

// The file's name for the system (UTF-16 on Windows); false, with the
// reason, when the library path names no file.
bool systemName(const std::string& path, fs::path& name, std::string& why) {
    name = Platform::filePath(path);
    if (!name.empty()) return true;
    why = path.empty() ? "no file name" : "the file name is not GBK text";
    return false;
}

// The whole file at `path`, which must be a regular file of at most
// kMaxFileBytes.
bool readFile(const std::string& path, std::string& bytes, std::string& why) {
    fs::path file;
    if (!systemName(path, file, why)) return false;
    std::error_code ec;
    const fs::file_type type = fs::status(file, ec).type();
    if (type != fs::file_type::regular) {
        why = type == fs::file_type::not_found ? "no such file"
              : ec                             ? ec.message()
                                               : "not a regular file";
        return false;
    }
    const std::uintmax_t size = fs::file_size(file, ec);
    if (ec || size > kMaxFileBytes) {
        why = ec ? ec.message() : "larger than 256 MB";
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    bytes.resize(static_cast<std::size_t>(size));
    const bool whole = in && in.read(&bytes[0], static_cast<std::streamsize>(size)) &&
                       in.peek() == std::ifstream::traits_type::eof();
    if (!whole) {
        why = "cannot be read whole";
        return false;
    }
    return true;
}

// The GBK text of a file's bytes.
bool toGbk(std::string& bytes, std::string& why) {
    const Encoding encoding = detectEncoding(bytes);
    if (encoding == Encoding::Gbk) return true;
    if (encoding == Encoding::Utf8Bom) bytes.erase(0, 3);
    std::string gbk;
    if (!Platform::utf8ToGbk(bytes, gbk)) {
        why = "UTF-8 text that is invalid or has no GBK form";
        return false;
    }
    bytes.swap(gbk);
    return true;
}

// What goes on disk for the GBK text `csv`. GBK text that would be read as
// UTF-8 (all of it valid UTF-8 with a multi-byte sequence) is written as
// UTF-8 with a byte-order mark instead, so that it reads back unchanged.
bool fileBytes(std::string& csv, std::string& why) {
    if (csv.find('\0') != std::string::npos) {
        why = "a cell holds a NUL byte, which no text file may hold";
        return false;
    }
    if (detectEncoding(csv) == Encoding::Gbk) return true;
    std::string utf8, back;
    if (!Platform::gbkToUtf8(csv, utf8) || !Platform::utf8ToGbk(utf8, back) || back != csv) {
        why = "cells hold text that would read back as UTF-8 and is not GBK";
        return false;
    }
    csv = kUtf8Bom + utf8;
    return true;
}

// A process-wide random token, so that two processes exporting the same
// file pick different temporary names (a clash only fails the export).
unsigned processToken() {
    try {
        return std::random_device{}();
    } catch (...) {
        return 0;
    }
}

// A name for a temporary file beside `path`.
std::string temporaryPath(const std::string& path) {
    static const unsigned token = processToken();
    // Incremented by every exporting thread, without a lock; only
    // uniqueness matters.
    static std::atomic<unsigned> counter{0};
    return path + ".tmp-" + std::to_string(token) + "-" + std::to_string(++counter);
}

// Writes `bytes` to a new temporary file beside `path` and renames it over
// `path`; on failure the temporary file is removed and `path` untouched.
bool replaceFile(const std::string& path, const std::string& bytes, std::string& why) {
    fs::path target;
    if (!systemName(path, target, why)) return false;
    const fs::path temporaryName = Platform::filePath(temporaryPath(path));
    std::FILE* const file = Platform::openFile(temporaryName, "wbx");
    if (file == nullptr) {
        why = "cannot create a file in its folder";
        return false;
    }
    // On disk before the rename, so that a crash leaves the old file or the
    // whole new one, never an empty one under the old name.
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
                         Platform::syncToDisk(file);
    const bool closed = std::fclose(file) == 0;
    std::error_code ec;
    if (written && closed) fs::rename(temporaryName, target, ec);
    if (!written || !closed || ec) {
        why = ec ? ec.message() : "cannot write the file";
        fs::remove(temporaryName, ec);
        return false;
    }
    return true;
}

}  // namespace

CFileManager& CFileManager::getSingleton() {
    // Lives in this shared object only; never destroyed, so threads may
    // export while statics are destroyed at exit.
    static Base::NeverDestroyed<CFileManager> manager;
    return manager.get();
}

CFileManager* CFileManager::getSingletonPtr() { return &getSingleton(); }

int CFileManager::exportToFile(const std::string& path,
                               const std::map<int, std::vector<std::string>>& rows) {
    std::string why;
    if (nameHoldsNul(path, why)) return failed("CSV export", path, why);
    try {
        std::string bytes = writeCsv(rows);
        // Nothing is written that import would refuse: also not a table of
        // many empty cells, which can weigh more than its short text allows.
        if (!checkCsv(bytes, why)) return failed("CSV export", path, why);
        if (!fileBytes(bytes, why)) return failed("CSV export", path, why);
        if (bytes.size() > kMaxFileBytes) return failed("CSV export", path, "larger than 256 MB");
        if (!replaceFile(path, bytes, why)) return failed("CSV export", path, why);
    } catch (const std::bad_alloc&) {
        return failed("CSV export", path, "out of memory");
    }
    return 1;
}

int CFileManager::importFromFile(const std::string& path,
                                 std::map<int, std::vector<std::string>>& rows) {
    rows.clear();
    std::string why;
    if (nameHoldsNul(path, why)) return failed("CSV import", path, why);
    try {
        std::string bytes;
        if (!readFile(path, bytes, why)) return failed("CSV import", path, why);
        if (bytes.find('\0') != std::string::npos)
            return failed("CSV import", path, "not a text file (NUL byte)");
        if (!toGbk(bytes, why) || !readCsv(bytes, rows, why))
            return failed("CSV import", path, why);
    } catch (const std::bad_alloc&) {
        rows.clear();
        return failed("CSV import", path, "out of memory");
    }
    return 1;
}

}  // namespace FileSerialize
