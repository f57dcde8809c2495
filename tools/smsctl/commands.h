// Subcommands of the command-line client.
#pragma once

#include <CLI/CLI.hpp>

namespace smsctl {

// classify NUMBER...: the carrier of each number (from standard input when
// no number is given).
void addClassifyCommand(CLI::App& app);

}  // namespace smsctl
