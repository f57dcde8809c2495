// Event objects on a mutex and condition variable. Events of one name share
// a State through a process-wide registry that holds only weak references,
// so the state lives exactly as long as some NamedEvent of that name.
#include "contracts/platform/NamedEvent.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <unordered_map>

#include "contracts/base/NeverDestroyed.h"

namespace Platform {

struct NamedEvent::State {
    State(bool manual, bool initiallySignalled) : manualReset(manual), signalled(initiallySignalled) {}

    std::mutex mutex;
    std::condition_variable cv;
    const bool manualReset;
    bool signalled;
    // Auto-reset: threads inside wait(), and set() calls handed to them but
    // not yet taken. A set() with a waiter present releases one waiter and
    // leaves the event unsignalled, so back-to-back sets are not merged.
    unsigned long waiters = 0;
    unsigned long releases = 0;
    // Manual-reset: bumped by every set(), so a waiter present at a set()
    // is released even if reset() follows before it wakes.
    unsigned long long generation = 0;
};

namespace {

using State = NamedEvent::State;
using Clock = std::chrono::steady_clock;

struct Registry {
    std::mutex mutex;
    std::unordered_map<std::string, std::weak_ptr<State>> byName;
};

// Never destroyed: events held by objects with static storage are opened and
// closed while the process ends.
Registry& registry() {
    static Base::NeverDestroyed<Registry> instance;
    return instance.get();
}

std::shared_ptr<State> openState(const std::string& name, bool manualReset, bool initiallySignalled) {
    if (name.empty()) {
        return std::make_shared<State>(manualReset, initiallySignalled);
    }
    Registry& reg = registry();
    const std::lock_guard<std::mutex> lock(reg.mutex);
    std::weak_ptr<State>& slot = reg.byName[name];
    std::shared_ptr<State> state = slot.lock();
    if (!state) {
        state = std::make_shared<State>(manualReset, initiallySignalled);
        slot = state;
    }
    return state;
}

// Waits on `state` until `ready()` holds or the timeout passes.
template <typename Ready>
bool waitFor(State& state, std::unique_lock<std::mutex>& lock, unsigned long timeoutMs, Ready ready) {
    if (timeoutMs == NamedEvent::kInfinite) {
        state.cv.wait(lock, ready);
        return true;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    return state.cv.wait_until(lock, deadline, ready);
}

NamedEvent::WaitResult waitManual(State& state, unsigned long timeoutMs) {
    std::unique_lock<std::mutex> lock(state.mutex);
    const unsigned long long seen = state.generation;
    const bool released =
        waitFor(state, lock, timeoutMs, [&] { return state.signalled || state.generation != seen; });
    return released ? NamedEvent::WaitResult::Signalled : NamedEvent::WaitResult::TimedOut;
}

NamedEvent::WaitResult waitAuto(State& state, unsigned long timeoutMs) {
    std::unique_lock<std::mutex> lock(state.mutex);
    if (state.signalled) {
        state.signalled = false;
        return NamedEvent::WaitResult::Signalled;
    }
    ++state.waiters;
    const bool released = waitFor(state, lock, timeoutMs, [&] { return state.releases > 0; });
    --state.waiters;
    if (!released) {
        return NamedEvent::WaitResult::TimedOut;
    }
    --state.releases;
    return NamedEvent::WaitResult::Signalled;
}

}  // namespace

NamedEvent::NamedEvent(const std::string& name, bool manualReset, bool initiallySignalled)
    : name_(name), state_(openState(name, manualReset, initiallySignalled)) {}

NamedEvent::~NamedEvent() {
    if (name_.empty()) {
        return;
    }
    // Drop our reference under the registry lock, so no other thread can
    // revive the state between the release and the clean-up of its entry.
    Registry& reg = registry();
    const std::lock_guard<std::mutex> lock(reg.mutex);
    state_.reset();
    const auto it = reg.byName.find(name_);
    if (it != reg.byName.end() && it->second.expired()) {
        reg.byName.erase(it);
    }
}

NamedEvent::WaitResult NamedEvent::wait(unsigned long timeoutMs) {
    return state_->manualReset ? waitManual(*state_, timeoutMs) : waitAuto(*state_, timeoutMs);
}

void NamedEvent::set() {
    State& state = *state_;
    const std::lock_guard<std::mutex> lock(state.mutex);
    if (state.manualReset) {
        if (!state.signalled) {
            state.signalled = true;
            ++state.generation;
            state.cv.notify_all();
        }
        return;
    }
    if (state.waiters > state.releases) {
        ++state.releases;
        state.cv.notify_one();
    } else {
        state.signalled = true;
    }
}

void NamedEvent::reset() {
    State& state = *state_;
    const std::lock_guard<std::mutex> lock(state.mutex);
    state.signalled = false;
}

const std::string& NamedEvent::name() const { return name_; }

}  // namespace Platform
