// What ChildProcess does alike on every OS: a running process is killed when
// its object goes, and a moved-from object owns none.
#include "tests/fakes/ChildProcess.h"

#include <utility>

namespace fakes {

ChildProcess::~ChildProcess() { kill(); }

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : process_(std::exchange(other.process_, -1)), status_(other.status_) {}

}  // namespace fakes
