// history and sendlog: the sent history and the send log, listed, searched,
// exported and (the history) deleted with progress.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "records/CHistoryLogMag.h"
#include "records/CSmsSendLogMag.h"
#include "tools/smsctl/Client.h"
#include "tools/smsctl/Interrupt.h"
#include "tools/smsctl/Progress.h"
#include "tools/smsctl/RecordsCommon.h"
#include "tools/smsctl/System.h"
#include "tools/smsctl/Table.h"
#include "tools/smsctl/commands.h"

namespace smsctl {
namespace {

const char* const kSeeLog = u8" (see smsctl.log in the user directory)";

// Which history records a command works on: all, the last 7 days, or a search.
struct HistorySelection {
    bool newOnly = false;
    std::string from, to, key;
    bool failed = false;

    void addSearch(CLI::App* cmd) {
        cmd->add_option("--from", from, u8"earliest time, \"YYYY-MM-DD HH:MM\" (default: open)");
        cmd->add_option("--to", to, u8"latest time, \"YYYY-MM-DD HH:MM\" (default: open)");
        cmd->add_flag("--failed", failed, u8"the packets the service refused (default: accepted)");
        cmd->add_option("--key", key, u8"text the message or the phone list contains");
    }
    // Whether `cmd` was given any search option.
    static bool searching(const CLI::App* cmd) {
        return cmd->count("--from") + cmd->count("--to") + cmd->count("--failed") +
                   cmd->count("--key") >
               0;
    }
};

void loadHistory(SMS::CHistoryLogMag& mag, const HistorySelection& s, bool search) {
    int result = 0;
    if (search) {
        const Dmg::CSmsData from = parseTime(s.from, "--from", BareDate::kStartOfDay);
        const Dmg::CSmsData to = parseTime(s.to, "--to", BareDate::kEndOfDay);
        result = mag.select(from, to, !s.failed, toGbk(s.key, "--key"));
    } else {
        result = s.newOnly ? mag.loadNewLog() : mag.loadAllLog();
    }
    if (result == 0) throw Failure(std::string(u8"cannot read the sent history") + kSeeLog);
}

void printHistory(const std::vector<Dmg::CHistoryMsg>& rows, bool json) {
    Table table({"number", "time", "result", "text", "phones"});
    for (const auto& r : rows) {
        table.add({std::to_string(r.number), records::showTime(r.time),
                   r.success ? u8"accepted" : u8"failed", toUtf8(r.firstText),
                   toUtf8(r.secondText)});
    }
    table.print(std::cout, json);
}

void listHistory(Client& client, const HistorySelection& s, const records::Paging& paging,
                 bool search) {
    client.start();
    SMS::CHistoryLogMag mag;
    loadHistory(mag, s, search);
    std::vector<Dmg::CHistoryMsg> rows;
    if (paging.used()) {
        mag.getLog(paging.page, paging.size, rows);
    } else {
        mag.getAllLog(rows);
    }
    printHistory(rows, client.options().json);
}

void addHistoryList(CLI::App* history, Client& client) {
    auto s = std::make_shared<HistorySelection>();
    auto paging = std::make_shared<records::Paging>();
    CLI::App* list = history->add_subcommand("list", u8"list the sent history, oldest first");
    list->add_flag("--new", s->newOnly, u8"only the last 7 days");
    paging->add(list);
    list->callback([&client, s, paging] { listHistory(client, *s, *paging, false); });

    auto found = std::make_shared<HistorySelection>();
    auto foundPaging = std::make_shared<records::Paging>();
    CLI::App* search =
        history->add_subcommand("search", u8"list the history records in a time range");
    found->addSearch(search);
    foundPaging->add(search);
    search->callback(
        [&client, found, foundPaging] { listHistory(client, *found, *foundPaging, true); });
}

void addHistoryExport(CLI::App* history, Client& client) {
    auto s = std::make_shared<HistorySelection>();
    auto file = std::make_shared<std::string>();
    CLI::App* cmd = history->add_subcommand(
        "export", u8"write the history records list or search selects to a file");
    cmd->add_option("file", *file, u8"the file to write")->required();
    cmd->add_flag("--new", s->newOnly, u8"only the last 7 days");
    s->addSearch(cmd);
    cmd->callback([&client, s, file, cmd] {
        client.start();
        SMS::CHistoryLogMag mag;
        loadHistory(mag, *s, s->searching(cmd));
        std::vector<Dmg::CHistoryMsg> rows;
        mag.getAllLog(rows);
        if (mag.exportLog(libraryPath(*file, "file"), rows) == 0) {
            throw Failure(u8"cannot write " + *file + kSeeLog);
        }
        std::cout << u8"exported "
                  << records::counted(static_cast<long long>(rows.size()), u8"history record",
                                      u8"history records")
                  << u8" to " << *file << '\n';
    });
}

int historySize(SMS::CHistoryLogMag& mag) {
    loadHistory(mag, HistorySelection{}, false);
    return mag.getLogNum();
}

void deleteHistory(Client& client, bool all, const std::vector<int>& numbers) {
    records::requireAllOrNumbers(all, numbers);
    client.start();
    SMS::CHistoryLogMag mag;
    const int before = historySize(mag);
    if (before > 0) {
        TerminalProgress progress;
        if (all) {
            mag.delAllLog(&progress);
        } else {
            std::vector<Dmg::CHistoryMsg> cache;
            mag.getAllLog(cache);
            (void)records::chosen(cache, numbers, u8"history record");
            mag.delLog(numbers, &progress);
        }
    }
    const std::string deleted =
        records::counted(before - historySize(mag), u8"history record", u8"history records");
    if (interrupted()) throw Failure(u8"cancelled: deleted " + deleted);
    std::cout << u8"deleted " << deleted << '\n';
}

void addHistoryDelete(CLI::App* history, Client& client) {
    auto all = std::make_shared<bool>(false);
    auto numbers = std::make_shared<std::vector<int>>();
    CLI::App* cmd =
        history->add_subcommand("delete", u8"delete all or the numbered history records");
    auto* allFlag = cmd->add_flag("--all", *all, u8"every record of the history");
    cmd->add_option("numbers", *numbers, u8"record numbers (as history list shows them)")
        ->excludes(allFlag);
    cmd->callback([&client, all, numbers] { deleteHistory(client, *all, *numbers); });
}

void addHistory(CLI::App& app, Client& client) {
    CLI::App* history = app.add_subcommand("history", u8"the sent history");
    history->require_subcommand(1);
    addHistoryList(history, client);
    addHistoryExport(history, client);
    addHistoryDelete(history, client);
}

void loadSendLog(SMS::CSmsSendLogMag& mag) {
    // 0 means an empty log as well as a failed read; both list nothing.
    mag.loadAll();
}

void addSendLog(CLI::App& app, Client& client) {
    CLI::App* sendlog = app.add_subcommand("sendlog", u8"the log of sends");
    sendlog->require_subcommand(1);

    auto paging = std::make_shared<records::Paging>();
    CLI::App* list = sendlog->add_subcommand("list", u8"list the send log, oldest first");
    paging->add(list);
    list->callback([&client, paging] {
        client.start();
        SMS::CSmsSendLogMag mag;
        loadSendLog(mag);
        std::vector<Dmg::CSendLosgMsg> rows;
        if (paging->used()) {
            mag.getLog(paging->page, paging->size, rows);
        } else {
            mag.getLog(0, mag.getLogNum(), rows);
        }
        Table table({"number", "time", "text", "sender", "extra"});
        for (const auto& r : rows) {
            table.add({std::to_string(r.number), records::showTime(r.time), toUtf8(r.firstText),
                       toUtf8(r.secondText), toUtf8(r.thirdText)});
        }
        table.print(std::cout, client.options().json);
    });

    auto file = std::make_shared<std::string>();
    CLI::App* exp = sendlog->add_subcommand("export", u8"write the whole send log to a file");
    exp->add_option("file", *file, u8"the file to write")->required();
    exp->callback([&client, file] {
        client.start();
        SMS::CSmsSendLogMag mag;
        loadSendLog(mag);
        if (mag.ExportAll(libraryPath(*file, "file")) == 0)
            throw Failure(u8"cannot write " + *file + kSeeLog);
        std::cout << u8"exported "
                  << records::counted(mag.getLogNum(), u8"send log entry", u8"send log entries")
                  << u8" to " << *file << '\n';
    });
}

}  // namespace

void addRecordsCommands(CLI::App& app, Client& client) {
    addHistory(app, client);
    addSendLog(app, client);
    records::addReplyCommands(app, client);
}

}  // namespace smsctl
