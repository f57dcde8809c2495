// A named event, like a Windows event object. Events created under the same
// name share one state: within the process on POSIX, across processes on
// Windows, where it is a kernel object. An unnamed event is private. An
// auto-reset event releases one waiter per set() and resets itself.
#pragma once

#include <memory>
#include <string>

#include "contracts/export.h"

namespace Platform {

class PLATFORM_API NamedEvent {
public:
    enum class WaitResult { Signalled, TimedOut };
    static constexpr unsigned long kInfinite = 0xFFFFFFFFul;

    // Opens the event `name`, creating it with the given mode and state when
    // no live event has that name (an existing event keeps its own). Throws
    // std::system_error when the OS refuses the name, e.g. one held by
    // another kind of object.
    NamedEvent(const std::string& name, bool manualReset, bool initiallySignalled);
    ~NamedEvent();
    NamedEvent(const NamedEvent&) = delete;
    NamedEvent& operator=(const NamedEvent&) = delete;

    // Waits until signalled or `timeoutMs` have passed (kInfinite: no limit).
    WaitResult wait(unsigned long timeoutMs);
    void set();
    void reset();
    const std::string& name() const;

    struct State;

private:
    std::string name_;
    std::shared_ptr<State> state_;
};

}  // namespace Platform
