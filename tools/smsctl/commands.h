// Subcommands of the command-line client. Each adds itself to the app; its
// callback starts the client when it needs the library.
#pragma once

#include <CLI/CLI.hpp>

namespace smsctl {

class Client;

// classify NUMBER...: the carrier of each number (from standard input when
// no number is given).
void addClassifyCommand(CLI::App& app);
// contacts ...: the address book (contacts, groups, CSV files, upload).
void addContactsCommand(CLI::App& app, Client& client);

// send NUMBER... [--group ID] [--csv FILE] --text TEXT|--phrase ID [--dry-run]: a send.
void addSendCommand(CLI::App& app, Client& client);
// queue list|delete|resume: the packets waiting in the send queue.
void addQueueCommand(CLI::App& app, Client& client);

// history, sendlog, replies, timers: the records of what was sent and received.
void addRecordsCommands(CLI::App& app, Client& client);

}  // namespace smsctl
