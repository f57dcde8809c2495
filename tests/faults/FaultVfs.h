// A test-only SQLite file layer over the OS's own one ("unix", "win32") that fails chosen
// calls, keeps writes that were not synced apart so a power cut can drop
// them, and caps the bytes its files may take. Installed as SQLite's default
// while a test uses it, so every connection the data library opens goes
// through it (encrypted pages and all).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "contracts/base/NeverDestroyed.h"

namespace faults {

// The calls that can be counted and failed.
// Lock: a file lock taken or raised, or a shared-memory lock taken.
enum class Kind { Read, Write, Sync, Lock, Open, Truncate, FileSize, Access, Delete };
constexpr std::size_t kKinds = 9;

struct Fault {
    Kind kind = Kind::Write;
    int n = 1;                // the n-th call of that kind (from 1) fails ...
    int error = 0;            // ... with this SQLite result code
    bool persistent = false;  // and so does every later one
    // Instead: the power fails just before the n-th call (see powerCut).
    bool cutPower = false;
    bool tearLastWrite = false;
};

using Counts = std::array<int, kKinds>;

class FaultVfs {
public:
    // The one instance. It stays registered with SQLite for the life of the
    // process, since connections opened through it may outlive a test.
    static FaultVfs& instance();

    // Makes this layer the default for new connections; uninstall() makes
    // the real one the default again. Open connections keep their layer.
    void install();
    void uninstall();

    // Fails as `fault` says from now on and restarts the counts.
    void arm(const Fault& fault);
    // No more failures; the counts go on.
    void disarm();
    // Calls failed since arm().
    int fired() const;
    // Calls per kind since the last arm() or resetCounts().
    Counts counts() const;
    void resetCounts();

    // While on, writes stay in memory (reads see them) until a sync of their
    // file writes them through. Turning it off writes what is held. Syncs
    // never reach the disk itself.
    void setBuffering(bool on);
    // Drops every write not synced, like a power cut; with `tearLastWrite`,
    // the first half of the latest write of each file reaches the disk.
    // Files open now are dead from then on: their calls fail and they no
    // longer write or delete anything. Until powerOn(), opening a file fails
    // too, so that nothing written after the cut can reach the disk.
    void powerCut(bool tearLastWrite);
    bool powerIsOff() const;
    // Files may be opened again. False while a file open at a cut is still
    // open: close them first, or the new ones share their stale state.
    bool powerOn();

    // Writes that would make the files of this layer larger than `bytes` in
    // all fail with SQLITE_FULL; nullopt lifts the cap.
    void setQuota(std::optional<std::int64_t> bytes);
    // The bytes the files opened through this layer take, held writes
    // included.
    std::int64_t usedBytes() const;

    struct State;

private:
    friend class Base::NeverDestroyed<FaultVfs>;
    FaultVfs();
    std::unique_ptr<State> state_;
};

// Installs the layer for one scope; on leaving, no faults, no buffering, no
// quota, and the real layer is the default again.
class ScopedFaultVfs {
public:
    ScopedFaultVfs() { vfs().install(); }
    ~ScopedFaultVfs() {
        vfs().disarm();
        vfs().setBuffering(false);
        vfs().setQuota(std::nullopt);
        vfs().powerOn();
        vfs().uninstall();
    }
    ScopedFaultVfs(const ScopedFaultVfs&) = delete;
    ScopedFaultVfs& operator=(const ScopedFaultVfs&) = delete;

    FaultVfs& vfs() const { return FaultVfs::instance(); }
};

}  // namespace faults
