// The command-line client: drives the library from a terminal. Terminal text
// is UTF-8; the library works in GBK.
#include <CLI/CLI.hpp>

#include "tools/smsctl/commands.h"

int main(int argc, char** argv) {
    CLI::App app{u8"smsctl: command-line client of the bulk-SMS library"};
    app.require_subcommand(1);
    smsctl::addClassifyCommand(app);
    CLI11_PARSE(app, argc, argv);
    return 0;
}
