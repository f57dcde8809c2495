// Subcommands of the command-line client. Each adds itself to the app; its
// callback starts the client when it needs the library.
#pragma once

#include <CLI/CLI.hpp>
#include <ostream>
#include <string>

namespace smsctl {

class Client;

// classify NUMBER...: the carrier of each number (from standard input when
// no number is given).
void addClassifyCommand(CLI::App& app, Client& client);

// phrases, reminders, saved: the content libraries (list, search, add,
// delete, export; groups of phrases and reminders; import of phrases).
void addPhrasesCommand(CLI::App& app, Client& client);
void addRemindersCommand(CLI::App& app, Client& client);
void addSavedCommand(CLI::App& app, Client& client);
// filters: reject words, reject numbers, test numbers, carrier prefixes.
void addFiltersCommand(CLI::App& app, Client& client);
// Says once per run on stderr when classification uses the built-in carrier
// prefixes; for every command that classifies or sends numbers. Starts the
// client.
void warnIfDefaultPrefixes(Client& client);
// Loads a carrier prefix table (CSV rows "carrier,prefix") at `path`, a
// library path, into the configuration store and this run; says so on
// `out`. Starts the client.
void loadPrefixTable(Client& client, const std::string& path, std::ostream& out);
// contacts ...: the address book (contacts, groups, CSV files, upload).
void addContactsCommand(CLI::App& app, Client& client);

// send NUMBER... [--group ID] [--csv FILE] --text TEXT|--phrase ID [--dry-run]: a send.
void addSendCommand(CLI::App& app, Client& client);
// queue list|delete|resume: the packets waiting in the send queue.
void addQueueCommand(CLI::App& app, Client& client);

// history, sendlog, replies, timers: the records of what was sent and received.
void addRecordsCommands(CLI::App& app, Client& client);

// demo: the whole road of one send in a fresh temporary user folder.
void addDemoCommand(CLI::App& app, Client& client);

}  // namespace smsctl
