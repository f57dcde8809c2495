#include <stdlib.h>

#include "tests/fakes/ScopedEnv.h"

namespace fakes {

void setEnv(const std::string& name, const std::optional<std::string>& value) {
    value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
}

}  // namespace fakes
