// The client's edge: the terminal speaks UTF-8, the library GBK.
#pragma once

#include <cstddef>
#include <string>

namespace smsctl {

// `utf8` as GBK. Throws UsageError naming `what` when the bytes are not UTF-8
// or hold a character GBK cannot write.
std::string toGbk(const std::string& utf8, const std::string& what);
// `gbk` as UTF-8; bytes that are not GBK are shown as \xNN.
std::string toUtf8(const std::string& gbk);
// Columns `utf8` takes on a terminal: East Asian wide characters take two.
std::size_t displayWidth(const std::string& utf8);
bool stdoutIsTerminal();
bool stderrIsTerminal();

}  // namespace smsctl
