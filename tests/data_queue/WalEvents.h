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
        const std::lock_guard<std::mutex> lock(shared().mutex);
        if (shared().real == nullptr) install();
        shared().events = "";
        shared().recording = true;
        sqlite3_vfs_register(&shared().wrapper, 1);
    }
    ~WalEvents() {
        const std::lock_guard<std::mutex> lock(shared().mutex);
        shared().recording = false;
        sqlite3_vfs_register(shared().real, 1);  // connections already open keep the wrapper
    }
    WalEvents(const WalEvents&) = delete;
    WalEvents& operator=(const WalEvents&) = delete;

    // One letter per event since the last take: the first letter of the file
    // name in lower case for a write, upper case for a sync ("hhH" is two
    // writes to HLog.dll-wal and a sync of it).
    std::string take() {
        const std::lock_guard<std::mutex> lock(shared().mutex);
        std::string out;
        out.swap(shared().events);
        return out;
    }

private:
    struct File {
        sqlite3_file base;
        sqlite3_file* real;
        char letter;  // 0 for a file other than a write-ahead log
    };

    struct Shared {
        // events and recording: set by the test's thread, appended to by any
        // thread doing file work, under mutex.
        std::mutex mutex;
        std::string events;
        bool recording = false;
        sqlite3_vfs* real = nullptr;  // the VFS wrapped
        sqlite3_vfs wrapper{};
        sqlite3_io_methods methods{};
    };
    static Shared& shared() {
        static Shared s;
        return s;
    }

    // Passes the file method M on to the wrapped file.
    template <auto M>
    struct Forward;
    template <class R, class... A, R (*sqlite3_io_methods::*M)(sqlite3_file*, A...)>
    struct Forward<M> {
        static R call(sqlite3_file* f, A... a) {
            sqlite3_file* const real = reinterpret_cast<File*>(f)->real;
            return (real->pMethods->*M)(real, a...);
        }
    };

    static void note(sqlite3_file* f, bool sync) {
        const char letter = reinterpret_cast<File*>(f)->letter;
        const std::lock_guard<std::mutex> lock(shared().mutex);
        if (letter != 0 && shared().recording)
            shared().events += sync ? char(std::toupper(letter)) : letter;
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
        const int rc = shared().real->xOpen(shared().real, name, file->real, flags, out);
        file->base.pMethods = file->real->pMethods ? &shared().methods : nullptr;
        return rc;
    }

    static void install() {
        shared().real = sqlite3_vfs_find(nullptr);
        sqlite3_vfs& v = shared().wrapper;
        v = *shared().real;
        v.zName = "wal-events";
        v.szOsFile = static_cast<int>(sizeof(File)) + shared().real->szOsFile;
        v.xOpen = open;
        using IO = sqlite3_io_methods;
        IO& m = shared().methods;
        m = {3,
             Forward<&IO::xClose>::call,
             Forward<&IO::xRead>::call,
             [](sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
                 note(f, false);
                 return Forward<&IO::xWrite>::call(f, b, n, o);
             },
             Forward<&IO::xTruncate>::call,
             [](sqlite3_file* f, int flags) {
                 note(f, true);
                 return Forward<&IO::xSync>::call(f, flags);
             },
             Forward<&IO::xFileSize>::call,
             Forward<&IO::xLock>::call,
             Forward<&IO::xUnlock>::call,
             Forward<&IO::xCheckReservedLock>::call,
             Forward<&IO::xFileControl>::call,
             Forward<&IO::xSectorSize>::call,
             Forward<&IO::xDeviceCharacteristics>::call,
             Forward<&IO::xShmMap>::call,
             Forward<&IO::xShmLock>::call,
             Forward<&IO::xShmBarrier>::call,
             Forward<&IO::xShmUnmap>::call,
             Forward<&IO::xFetch>::call,
             Forward<&IO::xUnfetch>::call};
    }
};

}  // namespace qtest
