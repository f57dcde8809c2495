// What a command throws to end the program: a wrong argument (exit status 2)
// or an operation that failed (exit status 1). Texts are UTF-8.
#pragma once

#include <stdexcept>
#include <string>

namespace smsctl {

struct UsageError : std::runtime_error {
    explicit UsageError(const std::string& what) : std::runtime_error(what) {}
};

struct Failure : std::runtime_error {
    explicit Failure(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace smsctl
