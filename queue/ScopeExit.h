// Runs an action when the scope is left, however it is left (a return, or a
// callback that threw): the worker threads record the end of their run so.
#pragma once

#include <utility>

namespace SMS {

template <typename Action>
class ScopeExit {
public:
    explicit ScopeExit(Action action) : action_(std::move(action)) {}
    ~ScopeExit() { action_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    Action action_;
};

}  // namespace SMS
