// The few calls smsctl makes that differ between operating systems; each in
// posix/ and windows/, picked by the build.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace smsctl {

// The running program's file; empty when the system cannot tell.
std::filesystem::path executablePath();

// The user folder when none is given, as the library takes paths:
// $XDG_DATA_HOME/smsctl, else ~/.local/share/smsctl; %APPDATA%\smsctl on
// Windows. Throws UsageError when the environment names none.
std::string defaultUserDir();

// A path the user gave (UTF-8 on the command line) as the library takes
// paths: as it is on POSIX, GBK on Windows. Throws UsageError naming `what`
// when Windows cannot write it in GBK.
std::string libraryPath(const std::string& given, const std::string& what);
// A path in the library's form as the terminal shows it (UTF-8).
std::string shownPath(const std::string& path);

// The command line's arguments after the program name, as UTF-8 (Windows
// hands them to main() in its ANSI code page, which loses other characters).
std::vector<std::string> utf8Arguments(int argc, char** argv);

// Output exactly as written: UTF-8 text with "\n" line ends (Windows would
// otherwise write "\r\n" and show the bytes in its console's code page).
void prepareConsole();

}  // namespace smsctl
