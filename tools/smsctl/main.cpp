// The command-line client: drives the library from a terminal the way a user
// interface does. Terminal text is UTF-8; the library works in GBK.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "tools/smsctl/Client.h"
#include "tools/smsctl/Errors.h"
#include "tools/smsctl/Interrupt.h"
#include "tools/smsctl/System.h"
#include "tools/smsctl/commands.h"

namespace {

constexpr int kUsageStatus = 2;

int fail(const char* what, int status) {
    std::fprintf(stderr, "smsctl: %s\n", what);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    smsctl::Options options;
    smsctl::Client client(options);
    CLI::App app{u8"smsctl: command-line client of the bulk-SMS library"};
    app.require_subcommand(1);
    // Subcommands inherit this: the global options may also come after them
    // ("smsctl history list --json").
    app.fallthrough();
    // Options start with '-' on every system: "/x" is a path, also on Windows.
    app.allow_windows_style_options(false);
    app.add_option("--user-dir", options.userDir,
                   u8"the user's data folder (default: $XDG_DATA_HOME/smsctl or "
                   u8"~/.local/share/smsctl; %APPDATA%\\smsctl on Windows)");
    app.add_option("--gateway", options.gateway,
                   u8"where sends go: embedded (the default, a simulation inside this program) "
                   u8"or a service's http://HOST:PORT, such as smsgw's");
    app.add_option("--user", options.user, u8"login name at the service (default: $USER)");
    app.add_option("--password", options.password, u8"login password (default: empty)");
    app.add_flag("-v,--verbose", options.verbose, u8"show the library's log on stderr too");
    app.add_flag("--json", options.json, u8"list commands print JSON");
    smsctl::addClassifyCommand(app, client);
    smsctl::addPhrasesCommand(app, client);
    smsctl::addRemindersCommand(app, client);
    smsctl::addSavedCommand(app, client);
    smsctl::addFiltersCommand(app, client);
    smsctl::addContactsCommand(app, client);
    smsctl::addRecordsCommands(app, client);
    smsctl::addSendCommand(app, client);
    smsctl::addQueueCommand(app, client);
    smsctl::addDemoCommand(app, client);

    smsctl::prepareConsole();
    smsctl::catchInterrupt();
    try {
        // CLI11 takes the arguments last first.
        std::vector<std::string> args = smsctl::utf8Arguments(argc, argv);
        std::reverse(args.begin(), args.end());
        app.parse(args);
        client.stop();
        return 0;
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, u8"smsctl: %s\nRun with --help for more information.\n", e.what());
        return kUsageStatus;
    } catch (const smsctl::UsageError& e) {
        return fail(e.what(), kUsageStatus);
    } catch (const smsctl::Failure& e) {
        client.stop();
        return fail(e.what(), 1);
    } catch (const std::exception& e) {
        client.stop();
        return fail(e.what(), 1);
    }
}
