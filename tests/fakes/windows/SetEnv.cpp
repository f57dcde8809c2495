#include <stdlib.h>

#include "tests/fakes/ScopedEnv.h"

namespace fakes {

// An empty value removes the variable.
void setEnv(const std::string& name, const std::optional<std::string>& value) {
    ::_putenv_s(name.c_str(), value ? value->c_str() : "");
}

}  // namespace fakes
