// smsctl queue: the packets waiting in the send queue of the user data:
// list them, delete some or all, or send them (what an earlier run left).
#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "contracts/dmg/QueueData.h"
#include "queue/CSmsSendLoadMag.h"
#include "queue/CSmsSendQueueMag.h"
#include "tools/smsctl/Client.h"
#include "tools/smsctl/Errors.h"
#include "tools/smsctl/SendPlan.h"
#include "tools/smsctl/Table.h"
#include "tools/smsctl/Terminal.h"
#include "tools/smsctl/commands.h"

namespace smsctl {
namespace {

std::vector<Dmg::QueueData> loadWaiting(SMS::CSmsSendQueueMag& queue) {
    queue.loadSendMsg();
    std::vector<Dmg::QueueData> packets;
    queue.getAllSendQueue(packets);
    return packets;
}

void list(Client& client) {
    client.start();
    SMS::CSmsSendQueueMag queue;
    Table table({"id", "queued", "at", "recipients", "segments", "text"});
    for (const Dmg::QueueData& p : loadWaiting(queue)) {
        table.add({std::to_string(p.recordId), p.queuedTime.getString(),
                   p.timerFlag != 0 ? p.timerData.getString() : std::string(),
                   std::to_string(p.recipientCount), std::to_string(p.segmentCount),
                   p.displayText.empty() ? u8"(personalised)" : toUtf8(p.displayText)});
    }
    table.print(std::cout, client.options().json);
}

void remove(Client& client, std::vector<int> ids, bool all) {
    if (ids.empty() == !all) throw UsageError(u8"queue delete: give packet ids or --all");
    client.start();
    client.lockQueue(QueueLock::Mode::kTakingOver);
    SMS::CSmsSendQueueMag queue;
    std::vector<int> waiting;
    for (const Dmg::QueueData& p : loadWaiting(queue)) waiting.push_back(p.recordId);
    if (all) ids = waiting;
    for (const int id : ids) {
        if (std::find(waiting.begin(), waiting.end(), id) == waiting.end()) {
            throw Failure(u8"no waiting packet has the id " + std::to_string(id) +
                          u8" (see smsctl queue list); nothing deleted");
        }
    }
    int recipients = 0;
    queue.delSendMsg(ids, recipients);
    std::cout << u8"deleted " << ids.size() << u8" packets (" << recipients << u8" recipients)\n";
}

void resume(Client& client) {
    client.start();
    client.lockQueue(QueueLock::Mode::kTakingOver);
    SMS::CSmsSendQueueMag queue;
    const std::vector<Dmg::QueueData> packets = loadWaiting(queue);
    if (packets.empty()) {
        std::cerr << u8"smsctl: nothing is queued\n";
        return;
    }
    std::cerr << u8"smsctl: sending " << packets.size() << u8" queued packets through "
              << client.gatewayDescription() << '\n';
    // Timed and immediate packets go in as separate sends, as they came.
    std::vector<Dmg::QueueData> timed, now;
    for (const auto& p : packets) (p.timerFlag != 0 ? timed : now).push_back(p);
    SMS::CSmsSendLoadMag::instance()->addSendQueue(now);
    SMS::CSmsSendLoadMag::instance()->addSendQueue(timed);
    waitOrStop(client);
    printOutcome(client, {});
}

}  // namespace

void addQueueCommand(CLI::App& app, Client& client) {
    CLI::App* cmd = app.add_subcommand("queue", u8"packets waiting to be sent");
    cmd->require_subcommand(1);
    cmd->add_subcommand("list", u8"list the waiting packets")->callback([&client] {
        list(client);
    });

    auto ids = std::make_shared<std::vector<int>>();
    auto all = std::make_shared<bool>(false);
    CLI::App* del = cmd->add_subcommand("delete", u8"delete waiting packets before they are sent");
    del->add_option("ids", *ids, u8"ids of the packets (see queue list)");
    del->add_flag("--all", *all, u8"delete every waiting packet");
    del->callback([&client, ids, all] { remove(client, *ids, *all); });

    cmd->add_subcommand("resume", u8"send the packets an earlier run left queued")
        ->callback([&client] { resume(client); });
}

}  // namespace smsctl
