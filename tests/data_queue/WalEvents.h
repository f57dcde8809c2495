// Records the writes and syncs of write-ahead logs, in order, for files that
// are opened while a WalEvents lives: it installs a default VFS that passes
// every call on to the previous one.
#pragma once

#include <sqlite3.h>

#include <cctype>
#include <cstring>
#include <mutex>
#include <string>

namespace qtest {

class WalEvents {
public:
    WalEvents() {
        const std::lock_guard<std::mutex> lock(mutex());
        if (real() == nullptr) install();
        events() = "";
        recording() = true;
        sqlite3_vfs_register(&wrapper(), 1);
    }
    ~WalEvents() {
        const std::lock_guard<std::mutex> lock(mutex());
        recording() = false;
        sqlite3_vfs_register(real(), 1);  // connections already open keep the wrapper
    }
    WalEvents(const WalEvents&) = delete;
    WalEvents& operator=(const WalEvents&) = delete;

    // One letter per event since the last take: the first letter of the file
    // name in lower case for a write, upper case for a sync ("hhH" is two
    // writes to HLog.dll-wal and a sync of it).
    std::string take() {
        const std::lock_guard<std::mutex> lock(mutex());
        std::string out;
        out.swap(events());
        return out;
    }

private:
    struct File {
        sqlite3_file base;
        sqlite3_file* real;
        char letter;  // 0 for a file other than a write-ahead log
    };

    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
    static std::string& events() {
        static std::string e;
        return e;
    }
    static bool& recording() {
        static bool r = false;
        return r;
    }
    static sqlite3_vfs*& real() {
        static sqlite3_vfs* v = nullptr;
        return v;
    }
    static sqlite3_vfs& wrapper() {
        static sqlite3_vfs v{};
        return v;
    }
    static sqlite3_io_methods& methods() {
        static sqlite3_io_methods m{};
        return m;
    }

    static sqlite3_file* inner(sqlite3_file* f) { return reinterpret_cast<File*>(f)->real; }
    static void note(sqlite3_file* f, bool sync) {
        const char letter = reinterpret_cast<File*>(f)->letter;
        const std::lock_guard<std::mutex> lock(mutex());
        if (letter != 0 && recording()) events() += sync ? char(std::toupper(letter)) : letter;
    }

    static int open(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* out) {
        auto* file = reinterpret_cast<File*>(f);
        file->real = reinterpret_cast<sqlite3_file*>(file + 1);
        const std::size_t n = name ? std::strlen(name) : 0;
        const char* base = name ? std::strrchr(name, '/') : nullptr;
        file->letter = n > 4 && std::strcmp(name + n - 4, "-wal") == 0 && base
                           ? char(std::tolower(base[1]))
                           : 0;
        file->real->pMethods = nullptr;
        const int rc = real()->xOpen(real(), name, file->real, flags, out);
        file->base.pMethods = file->real->pMethods ? &methods() : nullptr;
        return rc;
    }

    static void install() {
        real() = sqlite3_vfs_find(nullptr);
        sqlite3_vfs& v = wrapper();
        v = *real();
        v.zName = "wal-events";
        v.szOsFile = static_cast<int>(sizeof(File)) + real()->szOsFile;
        v.xOpen = open;
        sqlite3_io_methods& m = methods();
        m.iVersion = 3;
        m.xClose = [](sqlite3_file* f) { return inner(f)->pMethods->xClose(inner(f)); };
        m.xRead = [](sqlite3_file* f, void* b, int n, sqlite3_int64 o) {
            return inner(f)->pMethods->xRead(inner(f), b, n, o);
        };
        m.xWrite = [](sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
            note(f, false);
            return inner(f)->pMethods->xWrite(inner(f), b, n, o);
        };
        m.xTruncate = [](sqlite3_file* f, sqlite3_int64 s) {
            return inner(f)->pMethods->xTruncate(inner(f), s);
        };
        m.xSync = [](sqlite3_file* f, int flags) {
            note(f, true);
            return inner(f)->pMethods->xSync(inner(f), flags);
        };
        m.xFileSize = [](sqlite3_file* f, sqlite3_int64* s) {
            return inner(f)->pMethods->xFileSize(inner(f), s);
        };
        m.xLock = [](sqlite3_file* f, int l) { return inner(f)->pMethods->xLock(inner(f), l); };
        m.xUnlock = [](sqlite3_file* f, int l) { return inner(f)->pMethods->xUnlock(inner(f), l); };
        m.xCheckReservedLock = [](sqlite3_file* f, int* r) {
            return inner(f)->pMethods->xCheckReservedLock(inner(f), r);
        };
        m.xFileControl = [](sqlite3_file* f, int op, void* a) {
            return inner(f)->pMethods->xFileControl(inner(f), op, a);
        };
        m.xSectorSize = [](sqlite3_file* f) { return inner(f)->pMethods->xSectorSize(inner(f)); };
        m.xDeviceCharacteristics = [](sqlite3_file* f) {
            return inner(f)->pMethods->xDeviceCharacteristics(inner(f));
        };
        m.xShmMap = [](sqlite3_file* f, int p, int s, int e, void volatile** a) {
            return inner(f)->pMethods->xShmMap(inner(f), p, s, e, a);
        };
        m.xShmLock = [](sqlite3_file* f, int o, int n, int fl) {
            return inner(f)->pMethods->xShmLock(inner(f), o, n, fl);
        };
        m.xShmBarrier = [](sqlite3_file* f) { inner(f)->pMethods->xShmBarrier(inner(f)); };
        m.xShmUnmap = [](sqlite3_file* f, int d) {
            return inner(f)->pMethods->xShmUnmap(inner(f), d);
        };
        m.xFetch = [](sqlite3_file* f, sqlite3_int64 o, int n, void** p) {
            return inner(f)->pMethods->xFetch(inner(f), o, n, p);
        };
        m.xUnfetch = [](sqlite3_file* f, sqlite3_int64 o, void* p) {
            return inner(f)->pMethods->xUnfetch(inner(f), o, p);
        };
    }
};

}  // namespace qtest
