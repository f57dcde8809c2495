// Event objects of the kernel: a named one is shared with every process that
// opens the name, an unnamed one is private to its object.
#include "contracts/platform/NamedEvent.h"

#include <windows.h>

#include <system_error>

#include "contracts/platform/CodePage.h"

namespace Platform {

struct NamedEvent::State {
    explicit State(HANDLE h) : handle(h) {}
    ~State() { CloseHandle(handle); }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    const HANDLE handle;
};

namespace {

[[noreturn]] void fail(const std::string& name) {
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                            "cannot create event " + name);
}

// Creates the event, or opens the live one of that name, which keeps its own
// mode and state.
std::shared_ptr<NamedEvent::State> openState(const std::string& name, bool manualReset,
                                             bool initiallySignalled) {
    std::wstring wideName;
    if (!name.empty() && !gbkToWide(name, wideName)) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        fail(name);
    }
    const HANDLE handle =
        CreateEventW(nullptr, manualReset ? TRUE : FALSE, initiallySignalled ? TRUE : FALSE,
                     name.empty() ? nullptr : wideName.c_str());
    if (handle == nullptr) fail(name);
    return std::make_shared<NamedEvent::State>(handle);
}

}  // namespace

NamedEvent::NamedEvent(const std::string& name, bool manualReset, bool initiallySignalled)
    : name_(name), state_(openState(name, manualReset, initiallySignalled)) {}

NamedEvent::~NamedEvent() = default;

NamedEvent::WaitResult NamedEvent::wait(unsigned long timeoutMs) {
    static_assert(kInfinite == INFINITE, "kInfinite passes straight to the kernel");
    return WaitForSingleObject(state_->handle, timeoutMs) == WAIT_OBJECT_0 ? WaitResult::Signalled
                                                                           : WaitResult::TimedOut;
}

void NamedEvent::set() { SetEvent(state_->handle); }

void NamedEvent::reset() { ResetEvent(state_->handle); }

const std::string& NamedEvent::name() const { return name_; }

}  // namespace Platform
