// An environment variable set for a scope, then put back as it was.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

namespace fakes {

// Sets `name` to `value`, or removes it for none (setenv and unsetenv on
// POSIX, _putenv_s on Windows).
void setEnv(const std::string& name, const std::optional<std::string>& value);

class ScopedEnv {
public:
    ScopedEnv(std::string name, const std::string& value) : name_(std::move(name)) {
        if (const char* const old = std::getenv(name_.c_str())) saved_ = old;
        setEnv(name_, value);
    }
    ~ScopedEnv() { setEnv(name_, saved_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> saved_;
};

}  // namespace fakes
