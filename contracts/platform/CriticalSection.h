// A recursive lock, like a Windows critical section: the owning thread may
// enter it again and must leave it as often as it entered.
#pragma once

#include <memory>

#include "contracts/export.h"

namespace Platform {

class PLATFORM_API CriticalSection {
public:
    CriticalSection();
    ~CriticalSection();
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void enter();
    bool tryEnter();
    void leave();

    // Scoped enter/leave.
    class Guard {
    public:
        explicit Guard(CriticalSection& cs) : cs_(cs) { cs_.enter(); }
        ~Guard() { cs_.leave(); }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

    private:
        CriticalSection& cs_;
    };

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace Platform
