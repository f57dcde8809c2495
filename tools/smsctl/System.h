// The few calls smsctl makes that differ between operating systems; each in
// posix/ and windows/, picked by the build.
#pragma once

#include <filesystem>

namespace smsctl {

// The running program's file; empty when the system cannot tell.
std::filesystem::path executablePath();

}  // namespace smsctl
