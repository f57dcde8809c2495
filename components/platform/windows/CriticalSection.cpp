// Windows critical section: recursive for its owning thread.
#include "contracts/platform/CriticalSection.h"

#include <windows.h>

namespace Platform {

struct CriticalSection::Impl {
    Impl() { InitializeCriticalSection(&section); }
    ~Impl() { DeleteCriticalSection(&section); }
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    CRITICAL_SECTION section;
};

CriticalSection::CriticalSection() : impl_(std::make_unique<Impl>()) {}

CriticalSection::~CriticalSection() = default;

void CriticalSection::enter() { EnterCriticalSection(&impl_->section); }

bool CriticalSection::tryEnter() { return TryEnterCriticalSection(&impl_->section) != FALSE; }

void CriticalSection::leave() { LeaveCriticalSection(&impl_->section); }

}  // namespace Platform
