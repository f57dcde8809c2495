#include "tests/faults/FaultVfs.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <new>
#include <vector>

#include "contracts/base/NeverDestroyed.h"

namespace faults {
namespace {

// One write or truncation held back until its file is synced.
struct Pending {
    std::int64_t offset = 0;  // a truncation: the new size
    std::string data;
    bool truncate = false;
};

// A file by path, shared by every handle on it, as the OS page cache is.
struct PathState {
    std::int64_t size = 0;  // as SQLite sees it, held writes included
    std::vector<Pending> pending;
    int handles = 0;
};

// One open file.
struct Handle {
    std::string path;
    sqlite3_file* real = nullptr;
    std::uint64_t epoch = 0;  // of power cuts when opened; older ones are dead
    bool deleteOnClose = false;
};

// What SQLite allocates for one open file: ours first, the real file after.
struct File {
    sqlite3_file base;
    FaultVfs::State* state;
    sqlite3_file* real;
    std::uint64_t id;
};
constexpr int kRealOffset = static_cast<int>((sizeof(File) + 7) / 8 * 8);

void applyToBuffer(const Pending& p, std::int64_t offset, char* buffer, std::int64_t amount) {
    const std::int64_t end = offset + amount;
    if (p.truncate) {
        if (p.offset < end) {
            const std::int64_t from = std::max(p.offset, offset);
            std::memset(buffer + (from - offset), 0, static_cast<std::size_t>(end - from));
        }
        return;
    }
    const std::int64_t from = std::max(p.offset, offset);
    const std::int64_t to = std::min(p.offset + static_cast<std::int64_t>(p.data.size()), end);
    if (from < to) {
        std::memcpy(buffer + (from - offset), p.data.data() + (from - p.offset),
                    static_cast<std::size_t>(to - from));
    }
}

// Writes held data straight to the file at `path`, for when no handle is open.
bool applyToPath(const std::string& path, const Pending& p) {
    std::error_code ec;
    if (p.truncate) {
        std::filesystem::resize_file(path, static_cast<std::uintmax_t>(p.offset), ec);
        return !ec;
    }
    std::fstream out(path, std::ios::in | std::ios::out | std::ios::binary);
    if (!out) return false;
    out.seekp(p.offset);
    out.write(p.data.data(), static_cast<std::streamsize>(p.data.size()));
    return static_cast<bool>(out.flush());
}

}  // namespace

struct FaultVfs::State {
    // Set once by the constructor, then only read.
    sqlite3_vfs vfs{};
    sqlite3_vfs* real = nullptr;
    sqlite3_io_methods methods{};

    // Guards every field below. "File calls" are SQLite's calls into this
    // layer, from any thread that uses a connection (the data library's
    // worker threads too); they run the real calls under it as well, so held
    // writes, sizes and real files always agree.
    mutable std::mutex mutex;
    // Set by the test's thread (arm, disarm), read by file calls; under mutex.
    std::optional<Fault> fault;
    // Counted up by file calls, read and reset by the test's thread; under mutex.
    int fired = 0;
    Counts counts{};
    // Set by the test's thread, read by file calls; under mutex.
    bool buffering = false;
    std::optional<std::int64_t> quota;
    // Power cuts so far, and whether the power is off (set by a cut, cleared
    // by powerOn): changed by the test's thread or by the file call the power
    // fails at, read by file calls; under mutex.
    std::uint64_t epoch = 0;
    bool off = false;
    // Taken by the file call that opens a file; under mutex.
    std::uint64_t nextId = 1;
    // Changed by file calls and by the test's thread (power cut, buffering
    // off), read by both; under mutex.
    std::map<std::string, PathState> paths;
    // Changed by the file calls that open and close files, read by all file
    // calls and by the test's thread; under mutex.
    std::map<std::uint64_t, Handle> handles;

    // Counts a call of `kind` and gives the error it must fail with, if any.
    int consume(Kind kind) {
        const int n = ++counts[static_cast<std::size_t>(kind)];
        if (!fault || fault->kind != kind) return SQLITE_OK;
        if (n == fault->n || (fault->persistent && n > fault->n)) {
            ++fired;
            if (!fault->cutPower) return fault->error;
            cut(fault->tearLastWrite);
            return SQLITE_IOERR;
        }
        return SQLITE_OK;
    }

    void cut(bool tearLastWrite) {
        for (auto& [path, p] : paths) {
            const auto last = std::find_if(p.pending.rbegin(), p.pending.rend(),
                                           [](const Pending& w) { return !w.truncate; });
            if (tearLastWrite && last != p.pending.rend()) {
                Pending torn = *last;
                torn.data.resize(torn.data.size() / 2);
                applyToPath(path, torn);
            }
            p.pending.clear();
            p.size = sizeOnDisk(path);
        }
        ++epoch;
        off = true;
    }

    bool dead(const Handle& h) const { return h.epoch != epoch; }
    // The start of a counted file call: a file open at a power cut fails
    // with `deadError`, else the armed fault, if any.
    int enter(const Handle& h, Kind kind, int deadError) {
        return dead(h) ? deadError : consume(kind);
    }
    bool anyDead() const {
        return std::any_of(handles.begin(), handles.end(),
                           [this](const auto& h) { return dead(h.second); });
    }

    // A file no handle holds is looked at on disk: it may be gone or replaced.
    std::int64_t used() const {
        std::int64_t total = 0;
        for (const auto& [path, s] : paths) {
            total += s.handles == 0 && s.pending.empty() ? sizeOnDisk(path) : s.size;
        }
        return total;
    }

    // Writes the held data of `path` through `real`, or the path itself.
    bool flush(const std::string& path, sqlite3_file* real) {
        auto& s = paths[path];
        bool ok = true;
        for (const auto& p : s.pending) {
            if (real == nullptr) {
                ok = applyToPath(path, p) && ok;
            } else if (p.truncate) {
                ok = real->pMethods->xTruncate(real, p.offset) == SQLITE_OK && ok;
            } else {
                ok = real->pMethods->xWrite(real, p.data.data(), static_cast<int>(p.data.size()),
                                            p.offset) == SQLITE_OK &&
                     ok;
            }
        }
        s.pending.clear();
        return ok;
    }

    sqlite3_file* anyRealFile(const std::string& path) const {
        for (const auto& [id, h] : handles) {
            if (h.path == path) return h.real;
        }
        return nullptr;
    }

    static std::int64_t sizeOnDisk(const std::string& path) {
        std::error_code ec;
        const auto size = std::filesystem::file_size(path, ec);
        return ec ? 0 : static_cast<std::int64_t>(size);
    }
};

namespace {

using State = FaultVfs::State;

File& fileOf(sqlite3_file* f) { return *reinterpret_cast<File*>(f); }
State& stateOf(sqlite3_file* f) { return *fileOf(f).state; }
sqlite3_file* realOf(sqlite3_file* f) { return fileOf(f).real; }
State& stateOf(sqlite3_vfs* vfs) { return *static_cast<State*>(vfs->pAppData); }

// --- file calls ---

int xClose(sqlite3_file* f) {
    State& s = stateOf(f);
    const std::lock_guard<std::mutex> lock(s.mutex);
    const auto it = s.handles.find(fileOf(f).id);
    if (it != s.handles.end()) {
        auto& path = s.paths[it->second.path];
        --path.handles;
        if (it->second.deleteOnClose) s.paths.erase(it->second.path);
        s.handles.erase(it);
    }
    return realOf(f)->pMethods->xClose(realOf(f));
}

int xRead(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
    State& s = stateOf(f);
    const std::lock_guard<std::mutex> lock(s.mutex);
    const Handle& h = s.handles.at(fileOf(f).id);
    if (const int rc = s.enter(h, Kind::Read, SQLITE_IOERR_READ)) return rc;
    sqlite3_file* const real = realOf(f);
    const PathState& path = s.paths[h.path];
    if (path.pending.empty()) return real->pMethods->xRead(real, buffer, amount, offset);
    const int rc = real->pMethods->xRead(real, buffer, amount, offset);
    if (rc != SQLITE_OK && rc != SQLITE_IOERR_SHORT_READ) return rc;
    char* const bytes = static_cast<char*>(buffer);
    for (const auto& p : path.pending) applyToBuffer(p, offset, bytes, amount);
    if (offset + amount <= path.size) return SQLITE_OK;
    const std::int64_t valid = std::max<std::int64_t>(path.size - offset, 0);
    std::memset(bytes + valid, 0, static_cast<std::size_t>(amount - valid));
    return SQLITE_IOERR_SHORT_READ;
}

int xWrite(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset) {
    State& s = stateOf(f);
    const std::lock_guard<std::mutex> lock(s.mutex);
    const Handle& h = s.handles.at(fileOf(f).id);
    if (const int rc = s.enter(h, Kind::Write, SQLITE_IOERR_WRITE)) return rc;
    PathState& path = s.paths[h.path];
    const std::int64_t newSize = std::max<std::int64_t>(path.size, offset + amount);
    if (s.quota && newSize > path.size && s.used() - path.size + newSize > *s.quota) {
        return SQLITE_FULL;
    }
    if (s.buffering) {
        path.pending.push_back(
            {offset,
             std::string(static_cast<const char*>(buffer), static_cast<std::size_t>(amount)),
             false});
        path.size = newSize;
        return SQLITE_OK;
    }
    const int rc = realOf(f)->pMethods->xWrite(realOf(f), buffer, amount, offset);
    if (rc == SQLITE_OK) path.size = newSize;
    return rc;
}

int xTruncate(sqlite3_file* f, sqlite3_int64 size) {
    State& s = stateOf(f);
    const std::lock_guard<std::mutex> lock(s.mutex);
    const Handle& h = s.handles.at(fileOf(f).id);
    if (const int rc = s.enter(h, Kind::Truncate, SQLITE_IOERR_TRUNCATE)) return rc;
    PathState& path = s.paths[h.path];
    if (s.buffering) {
        path.pending.push_back({size, {}, true});
        path.size = size;
        return SQLITE_OK;
    }
    const int rc = realOf(f)->pMethods->xTruncate(realOf(f), size);
    if (rc == SQLITE_OK) path.size = size;
    return rc;
}

int xSync(sqlite3_file* f, int /*flags*/) {
    State& s = stateOf(f);
    const std::lock_guard<std::mutex> lock(s.mutex);
    const Handle& h = s.handles.at(fileOf(f).id);
    if (const int rc = s.enter(h, Kind::Sync, SQLITE_IOERR_FSYNC)) return rc;
    // The disk itself is not synced: test files are temporary, and a power
    // cut is what the held writes are for.
    return s.flush(h.path, realOf(f)) ? SQLITE_OK : SQLITE_IOERR_WRITE;
}

int xFileSize(sqlite3_file* f, sqlite3_int64* size) {
    State& s = stateOf(f);
    const std::lock_guard<std::mutex> lock(s.mutex);
    const Handle& h = s.handles.at(fileOf(f).id);
    if (const int rc = s.enter(h, Kind::FileSize, SQLITE_IOERR_FSTAT)) return rc;
    const PathState& path = s.paths[h.path];
    if (!path.pending.empty()) {
        *size = path.size;
        return SQLITE_OK;
    }
    return realOf(f)->pMethods->xFileSize(realOf(f), size);
}

int xLock(sqlite3_file* f, int level) {
    State& s = stateOf(f);
    const std::lock_guard<std::mutex> lock(s.mutex);
    if (const int rc = s.enter(s.handles.at(fileOf(f).id), Kind::Lock, SQLITE_IOERR_LOCK)) return rc;
    return realOf(f)->pMethods->xLock(realOf(f), level);
}

// Unlocking is never failed, so locks are always given back.
int xUnlock(sqlite3_file* f, int level) { return realOf(f)->pMethods->xUnlock(realOf(f), level); }

int xCheckReservedLock(sqlite3_file* f, int* out) {
    return realOf(f)->pMethods->xCheckReservedLock(realOf(f), out);
}

int xFileControl(sqlite3_file* f, int op, void* arg) {
    State& s = stateOf(f);
    {
        const std::lock_guard<std::mutex> lock(s.mutex);
        // A size hint would grow the real file behind the held writes.
        if (op == SQLITE_FCNTL_SIZE_HINT && s.buffering) return SQLITE_OK;
    }
    return realOf(f)->pMethods->xFileControl(realOf(f), op, arg);
}

int xSectorSize(sqlite3_file* f) { return realOf(f)->pMethods->xSectorSize(realOf(f)); }

int xDeviceCharacteristics(sqlite3_file* f) {
    return realOf(f)->pMethods->xDeviceCharacteristics(realOf(f));
}

int xShmMap(sqlite3_file* f, int region, int size, int extend, void volatile** out) {
    State& s = stateOf(f);
    {
        const std::lock_guard<std::mutex> lock(s.mutex);
        if (s.dead(s.handles.at(fileOf(f).id))) return SQLITE_IOERR_SHMMAP;
    }
    return realOf(f)->pMethods->xShmMap(realOf(f), region, size, extend, out);
}

int xShmLock(sqlite3_file* f, int offset, int n, int flags) {
    State& s = stateOf(f);
    if ((flags & SQLITE_SHM_LOCK) != 0) {
        const std::lock_guard<std::mutex> lock(s.mutex);
        if (s.dead(s.handles.at(fileOf(f).id))) return SQLITE_IOERR_SHMLOCK;
        if (const int rc = s.consume(Kind::Lock)) return rc;
    }
    return realOf(f)->pMethods->xShmLock(realOf(f), offset, n, flags);
}

void xShmBarrier(sqlite3_file* f) { realOf(f)->pMethods->xShmBarrier(realOf(f)); }

int xShmUnmap(sqlite3_file* f, int deleteFlag) {
    State& s = stateOf(f);
    {
        const std::lock_guard<std::mutex> lock(s.mutex);
        if (s.dead(s.handles.at(fileOf(f).id))) deleteFlag = 0;
    }
    return realOf(f)->pMethods->xShmUnmap(realOf(f), deleteFlag);
}

// --- layer calls ---

int vOpen(sqlite3_vfs* vfs, const char* name, sqlite3_file* f, int flags, int* outFlags) {
    State& s = stateOf(vfs);
    const std::lock_guard<std::mutex> lock(s.mutex);
    f->pMethods = nullptr;
    if (s.off) return SQLITE_CANTOPEN;
    if (const int rc = s.consume(Kind::Open)) return rc;
    File& file = *new (f) File{};
    file.state = &s;
    file.real = reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(f) + kRealOffset);
    const int rc = s.real->xOpen(s.real, name, file.real, flags, outFlags);
    if (rc != SQLITE_OK) {
        f->pMethods = nullptr;
        return rc;
    }
    file.id = s.nextId++;
    Handle h;
    h.real = file.real;
    h.epoch = s.epoch;
    h.deleteOnClose = name == nullptr || (flags & SQLITE_OPEN_DELETEONCLOSE) != 0;
    h.path = name != nullptr ? name : "#" + std::to_string(file.id);
    PathState& path = s.paths[h.path];
    // A file no handle holds may have been replaced behind our back.
    if (path.handles == 0 && path.pending.empty()) {
        sqlite3_int64 size = 0;
        path.size = file.real->pMethods->xFileSize(file.real, &size) == SQLITE_OK ? size : 0;
    }
    ++path.handles;
    s.handles.emplace(file.id, std::move(h));
    f->pMethods = &s.methods;
    return SQLITE_OK;
}

int vDelete(sqlite3_vfs* vfs, const char* name, int syncDir) {
    State& s = stateOf(vfs);
    const std::lock_guard<std::mutex> lock(s.mutex);
    if (const int rc = s.consume(Kind::Delete)) return rc;
    // Between a power cut and the last close of its dead files, nothing goes.
    if (s.anyDead()) return SQLITE_OK;
    const int rc = s.real->xDelete(s.real, name, syncDir);
    const auto it = s.paths.find(name);
    if (rc == SQLITE_OK && it != s.paths.end()) {
        // A file still open keeps its entry until its last close.
        it->second.pending.clear();
        it->second.size = 0;
        if (it->second.handles == 0) s.paths.erase(it);
    }
    return rc;
}

int vAccess(sqlite3_vfs* vfs, const char* name, int flags, int* out) {
    State& s = stateOf(vfs);
    const std::lock_guard<std::mutex> lock(s.mutex);
    if (const int rc = s.consume(Kind::Access)) return rc;
    return s.real->xAccess(s.real, name, flags, out);
}

}  // namespace

FaultVfs::FaultVfs() : state_(std::make_unique<State>()) {
    State& s = *state_;
    // The OS's own layer: "unix" on POSIX, "win32" on Windows.
    s.real = sqlite3_vfs_find("unix");
    if (s.real == nullptr) s.real = sqlite3_vfs_find("win32");
    // The real layer's own calls for everything but files: they do not use
    // the layer they are called through.
    s.vfs = *s.real;
    s.vfs.iVersion = 2;
    s.vfs.szOsFile = kRealOffset + s.real->szOsFile;
    s.vfs.pNext = nullptr;
    s.vfs.zName = "faults";
    s.vfs.pAppData = &s;
    s.vfs.xOpen = vOpen;
    s.vfs.xDelete = vDelete;
    s.vfs.xAccess = vAccess;
    // Version 2: shared memory, but no memory-mapped pages, which would
    // bypass the reads counted and the writes held here.
    s.methods = {2,           xClose,          xRead,     xWrite,        xTruncate,
                 xSync,       xFileSize,       xLock,     xUnlock,       xCheckReservedLock,
                 xFileControl, xSectorSize,    xDeviceCharacteristics,   xShmMap,
                 xShmLock,    xShmBarrier,     xShmUnmap, nullptr,       nullptr};
    sqlite3_vfs_register(&s.vfs, 0);
}

FaultVfs& FaultVfs::instance() {
    // Never destroyed: a connection opened through it may be closed at exit.
    static Base::NeverDestroyed<FaultVfs> vfs;
    return vfs.get();
}

void FaultVfs::install() { sqlite3_vfs_register(&state_->vfs, 1); }
void FaultVfs::uninstall() { sqlite3_vfs_register(state_->real, 1); }

void FaultVfs::arm(const Fault& fault) {
    const std::lock_guard<std::mutex> lock(state_->mutex);
    state_->fault = fault;
    state_->fired = 0;
    state_->counts = {};
}

void FaultVfs::disarm() {
    const std::lock_guard<std::mutex> lock(state_->mutex);
    state_->fault.reset();
}

int FaultVfs::fired() const {
    const std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->fired;
}

Counts FaultVfs::counts() const {
    const std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->counts;
}

void FaultVfs::resetCounts() {
    const std::lock_guard<std::mutex> lock(state_->mutex);
    state_->counts = {};
}

void FaultVfs::setBuffering(bool on) {
    State& s = *state_;
    const std::lock_guard<std::mutex> lock(s.mutex);
    if (!on) {
        for (auto& [path, p] : s.paths) {
            if (!p.pending.empty()) s.flush(path, s.anyRealFile(path));
        }
    }
    s.buffering = on;
}

void FaultVfs::powerCut(bool tearLastWrite) {
    const std::lock_guard<std::mutex> lock(state_->mutex);
    state_->cut(tearLastWrite);
}

bool FaultVfs::powerIsOff() const {
    const std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->off;
}

bool FaultVfs::powerOn() {
    const std::lock_guard<std::mutex> lock(state_->mutex);
    state_->off = false;
    return !state_->anyDead();
}

void FaultVfs::setQuota(std::optional<std::int64_t> bytes) {
    const std::lock_guard<std::mutex> lock(state_->mutex);
    state_->quota = bytes;
}

std::int64_t FaultVfs::usedBytes() const {
    const std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->used();
}

}  // namespace faults
