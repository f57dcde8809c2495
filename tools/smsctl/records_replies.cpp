// replies and timers: replies phones send (injected at the embedded gateway,
// or fetched from a service, and stored), listed, searched, deleted,
// exported; timed messages the service holds, listed and cancelled.
#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "records/CReplyMsgsMag.h"
#include "records/CTimerSendMag.h"
#include "records/ReplyInbox.h"
#include "tools/smsctl/Client.h"
#include "tools/smsctl/Gateway.h"
#include "tools/smsctl/Progress.h"
#include "tools/smsctl/RecordsCommon.h"
#include "tools/smsctl/System.h"
#include "tools/smsctl/Table.h"

namespace smsctl::records {
namespace {

const char* const kSeeLog = u8" (see smsctl.log in the user directory)";

struct ReplySearch {
    std::string from, to, key;
    void add(CLI::App* cmd) {
        cmd->add_option("--from", from, u8"earliest arrival, \"YYYY-MM-DD HH:MM\" (default: open)");
        cmd->add_option("--to", to, u8"latest arrival, \"YYYY-MM-DD HH:MM\" (default: open)");
        cmd->add_option("--key", key, u8"text the phone number or the reply contains");
    }
    static bool used(const CLI::App* cmd) {
        return cmd->count("--from") + cmd->count("--to") + cmd->count("--key") > 0;
    }
};

void loadReplies(SMS::CReplyMsgsMag& mag, const ReplySearch* search) {
    int result = 0;
    if (search != nullptr) {
        Dmg::CSmsData from = parseTime(search->from, "--from", BareDate::kStartOfDay);
        Dmg::CSmsData to = parseTime(search->to, "--to", BareDate::kEndOfDay);
        std::string key = toGbk(search->key, "--key");
        result = mag.select(from, to, key);
    } else {
        result = mag.loadAll();
    }
    if (result == 0) throw Failure(std::string(u8"cannot read the replies") + kSeeLog);
}

void listReplies(Client& client, const ReplySearch* search, const Paging& paging) {
    client.start();
    SMS::CReplyMsgsMag mag;
    loadReplies(mag, search);
    std::vector<Dmg::ReplyData> rows;
    mag.getLog(paging.used() ? paging.page : 0, paging.used() ? paging.size : mag.getLogNum(),
               rows);
    Table table({"number", "time", "phone", "extension", "text"});
    for (const auto& r : rows) {
        table.add({std::to_string(r.number), showTime(r.time), toUtf8(r.phone), toUtf8(r.extra),
                   toUtf8(r.text)});
    }
    table.print(std::cout, client.options().json);
}

void addRepliesInject(CLI::App* replies, Client& client) {
    struct Args {
        std::string phone, text, time;
    };
    auto a = std::make_shared<Args>();
    CLI::App* cmd = replies->add_subcommand(
        "inject", u8"a phone answers: the embedded gateway receives the reply and it is stored");
    cmd->add_option("phone", a->phone, u8"the phone that answers")->required();
    cmd->add_option("text", a->text, u8"the reply's text")->required();
    cmd->add_option("--time", a->time, u8"arrival, \"YYYY-MM-DD HH:MM\" (default: now)");
    cmd->callback([&client, a] {
        if (client.options().gateway != "embedded") {
            throw UsageError(u8"replies inject works with the embedded gateway only; "
                             u8"a service's replies come in with replies fetch");
        }
        const Dmg::CSmsData time = parseTime(a->time, "--time", BareDate::kStartOfDay);
        const std::string phone = toGbk(a->phone, "phone"), text = toGbk(a->text, "text");
        client.start();
        client.gateway().injectReply(phone, text, time);
        if (SMS::records::storeReplies(client.gateway()) != 1) {
            throw Failure(std::string(u8"the reply could not be stored") + kSeeLog);
        }
        std::cout << u8"stored 1 reply\n";
    });
}

// Stores the replies waiting at the gateway. Over HTTP the service's id of
// the last reply stored is kept in the user folder, so a reply whose
// acknowledgement was lost is not stored twice by a later run.
void fetchReplies(Client& client) {
    client.start();
    int stored = 0;
    if (client.overHttp()) {
        const std::string markFile = client.userDir() + "/replies.mark";
        std::int64_t last = readReplyMark(markFile, client.gatewayUrl());
        const std::int64_t before = last;
        stored = SMS::records::storeReplies(client.httpGateway(), last);
        if (last != before && !writeReplyMark(markFile, client.gatewayUrl(), last)) {
            throw Failure(u8"stored " + counted(stored, u8"reply", u8"replies") +
                          u8" but cannot write " + shownPath(markFile) +
                          u8": the next fetch may store them again");
        }
        if (stored < 0) {
            throw Failure(u8"cannot fetch the replies from " + client.gatewayUrl() + kSeeLog);
        }
    } else {
        stored = SMS::records::storeReplies(client.gateway());
    }
    std::cout << u8"stored " << counted(stored, u8"reply", u8"replies") << '\n';
}

void addRepliesLists(CLI::App* replies, Client& client) {
    auto paging = std::make_shared<Paging>();
    CLI::App* list = replies->add_subcommand("list", u8"list the received replies");
    paging->add(list);
    list->callback([&client, paging] { listReplies(client, nullptr, *paging); });

    auto search = std::make_shared<ReplySearch>();
    auto searchPaging = std::make_shared<Paging>();
    CLI::App* cmd = replies->add_subcommand("search", u8"list the replies in a time range");
    search->add(cmd);
    searchPaging->add(cmd);
    cmd->callback(
        [&client, search, searchPaging] { listReplies(client, search.get(), *searchPaging); });

    auto file = std::make_shared<std::string>();
    auto selected = std::make_shared<ReplySearch>();
    CLI::App* exp = replies->add_subcommand(
        "export", u8"write the replies (all, or those the search options select) to a file");
    exp->add_option("file", *file, u8"the file to write")->required();
    selected->add(exp);
    exp->callback([&client, file, selected, exp] {
        client.start();
        SMS::CReplyMsgsMag mag;
        loadReplies(mag, ReplySearch::used(exp) ? selected.get() : nullptr);
        std::string path = libraryPath(*file, "file");  // ExportAll takes it non-const
        if (mag.ExportAll(path) == 0) throw Failure(u8"cannot write " + *file + kSeeLog);
        std::cout << u8"exported " << counted(mag.getLogNum(), u8"reply", u8"replies") << u8" to "
                  << *file << '\n';
    });
}

void deleteReplies(Client& client, bool all, const std::vector<int>& numbers) {
    requireAllOrNumbers(all, numbers);
    client.start();
    SMS::CReplyMsgsMag mag;
    loadReplies(mag, nullptr);
    std::vector<Dmg::ReplyData> cache;
    mag.getLog(0, mag.getLogNum(), cache);
    std::vector<Dmg::ReplyData> gone = all ? cache : chosen(cache, numbers, u8"reply");
    const int result = all ? mag.delAll() : mag.delSelect(gone);
    if (result != 1) throw Failure(std::string(u8"cannot delete the replies") + kSeeLog);
    std::cout << u8"deleted "
              << counted(static_cast<long long>(gone.size()), u8"reply", u8"replies") << '\n';
}

void addRepliesDelete(CLI::App* replies, Client& client) {
    auto all = std::make_shared<bool>(false);
    auto numbers = std::make_shared<std::vector<int>>();
    CLI::App* cmd = replies->add_subcommand("delete", u8"delete all or the numbered replies");
    auto* allFlag = cmd->add_flag("--all", *all, u8"every reply");
    cmd->add_option("numbers", *numbers, u8"reply numbers (as replies list shows them)")
        ->excludes(allFlag);
    cmd->callback([&client, all, numbers] { deleteReplies(client, *all, *numbers); });
}

void listTimers(Client& client) {
    client.start();
    SMS::CTimerSendMag mag;
    mag.loadAllTimerInfo();
    Table table({"record", "group", "key", "at", "recipients", "segments", "text", "phones"});
    for (const auto& t : mag.timerList) {
        table.add({std::to_string(t.recordId), std::to_string(t.group), toUtf8(t.serviceKey),
                   showTime(t.timerTime), std::to_string(t.recipientCount),
                   std::to_string(t.segmentCount), toUtf8(t.content), toUtf8(t.phoneList)});
    }
    table.print(std::cout, client.options().json);
}

void cancelTimers(Client& client, bool all, const std::vector<int>& ids) {
    requireAllOrNumbers(all, ids);
    client.start();
    SMS::CTimerSendMag mag;
    mag.loadAllTimerInfo();
    std::vector<Dmg::CTimerMsg> selection;
    for (const int id : ids) {
        const auto it = std::find_if(mag.timerList.begin(), mag.timerList.end(),
                                     [id](const Dmg::CTimerMsg& t) { return t.recordId == id; });
        if (it == mag.timerList.end()) {
            throw Failure(u8"no timed message with record id " + std::to_string(id));
        }
        selection.push_back(*it);
    }
    if (all) selection = mag.timerList;
    if (selection.empty()) {
        std::cout << u8"no timed messages to cancel\n";
        return;
    }
    {
        TerminalProgress progress;
        mag.deleteSelectList(selection, &progress);
    }
    std::cout << toUtf8(mag.deleteReport) << '\n';
    // The ones the service refused stay listed.
    const auto kept = std::count_if(selection.begin(), selection.end(), [&](const auto& s) {
        return std::any_of(mag.timerList.begin(), mag.timerList.end(),
                           [&](const Dmg::CTimerMsg& t) { return t.recordId == s.recordId; });
    });
    if (kept > 0) {
        throw Failure(u8"the service refused to cancel " + std::to_string(kept) +
                      u8" timed messages" + kSeeLog);
    }
}

void addTimers(CLI::App& app, Client& client) {
    CLI::App* timers = app.add_subcommand("timers", u8"timed messages the service holds");
    timers->require_subcommand(1);
    timers->add_subcommand("list", u8"list the timed messages")->callback([&client] {
        listTimers(client);
    });
    auto all = std::make_shared<bool>(false);
    auto ids = std::make_shared<std::vector<int>>();
    CLI::App* cancel = timers->add_subcommand(
        "cancel", u8"cancel timed messages at the service and forget them here");
    auto* allFlag = cancel->add_flag("--all", *all, u8"every timed message");
    cancel->add_option("ids", *ids, u8"record ids (as timers list shows them)")->excludes(allFlag);
    cancel->callback([&client, all, ids] { cancelTimers(client, *all, *ids); });
}

}  // namespace

void addReplyCommands(CLI::App& app, Client& client) {
    CLI::App* replies = app.add_subcommand("replies", u8"replies that phones sent");
    replies->require_subcommand(1);
    addRepliesInject(replies, client);
    replies->add_subcommand("fetch", u8"store the replies waiting at the gateway")
        ->callback([&client] { fetchReplies(client); });
    addRepliesLists(replies, client);
    addRepliesDelete(replies, client);
    addTimers(app, client);
}

}  // namespace smsctl::records
