// The few calls smsctl makes that differ between operating systems; each in
// posix/ and windows/, picked by the build.
#pragma once

#include <filesystem>
#include <string>

namespace smsctl {

// The running program's file; empty when the system cannot tell.
std::filesystem::path executablePath();

// The user folder when none is given: $XDG_DATA_HOME/smsctl, else
// ~/.local/share/smsctl; %APPDATA%\smsctl on Windows. Throws UsageError
// when the environment names none.
std::string defaultUserDir();

}  // namespace smsctl
