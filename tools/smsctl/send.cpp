// smsctl send: composes a send, queues it through the library's send pipeline
// and waits for the background threads to send it; or, with --dry-run, shows
// what it would be.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "contracts/dmg/QueueData.h"
#include "queue/CSmsSendQueueMag.h"
#include "send/CSmsSendStartInstance.h"
#include "send/CSmsSender.h"
#include "tools/smsctl/Client.h"
#include "tools/smsctl/Errors.h"
#include "tools/smsctl/Progress.h"
#include "tools/smsctl/SendPlan.h"
#include "tools/smsctl/Table.h"
#include "tools/smsctl/Terminal.h"
#include "tools/smsctl/commands.h"

namespace smsctl {
namespace {

// Counts the packets of the send on their way to the sending thread. Set
// before the send and left in place (callbacks are not reassigned while the
// threads run); the pipeline calls it on the caller's thread.
std::shared_ptr<const SendCounts> countQueued() {
    SMS::CSmsSendStartInstance* const settings = SMS::CSmsSendStartInstance::Instance();
    auto queued = std::make_shared<SendCounts>();
    auto forward = settings->onPacketsQueued;
    settings->onPacketsQueued = [queued, forward](std::vector<Dmg::QueueData>& packets) {
        for (const Dmg::QueueData& p : packets) {
            (p.rejected != 0 ? queued->rejected : queued->recipients) += p.recipientCount;
            if (p.rejected == 0) queued->segments += p.segmentCount;
        }
        forward(packets);
    };
    return queued;
}

}  // namespace

int waitingPackets() {
    SMS::CSmsSendQueueMag queue;
    queue.loadSendMsg();
    return queue.getMsgNum();
}

void waitOrStop(Client& client) {
    if (client.waitForSends()) return;
    throw Failure(u8"stopped; " + std::to_string(waitingPackets()) +
                  u8" packets stay queued for the next run");
}

// Packets accepted by the gateway and failed, in this run.
void printOutcome(Client& client, std::vector<std::pair<std::string, std::string>> fields) {
    const int accepted = client.acceptedPackets();
    fields.emplace_back("packets_sent", std::to_string(accepted));
    fields.emplace_back("packets_failed", std::to_string(client.packetsDone() - accepted));
    if (client.options().json) {
        std::cout << '{';
        for (std::size_t i = 0; i < fields.size(); ++i) {
            std::cout << (i ? ", " : "") << jsonString(fields[i].first) << ": " << fields[i].second;
        }
        std::cout << "}\n";
        return;
    }
    Table table({"item", "value"});
    for (auto& f : fields) table.add({f.first, f.second});
    table.print(std::cout);
}

SendCounts sendNow(const SendArgs& args, Client& client) {
    client.start();
    client.lockQueue(QueueLock::Mode::kSending);
    warnIfDefaultPrefixes(client);
    Plan plan;
    composePlan(args, true, plan);
    reportRefused(plan);
    if (plan.recipients == 0) throw Failure(u8"no number to send to");
    std::cerr << u8"smsctl: sending through " << client.gatewayDescription() << '\n';

    const auto queued = countQueued();
    std::string error;
    {
        TerminalProgress progress;
        SMS::CSmsSender sender;
        if (sender.send(&plan.processor, error, &progress) != 1) {
            throw Failure(u8"the send was refused: " + toUtf8(error));
        }
    }
    waitOrStop(client);
    printOutcome(client, {{"recipients", std::to_string(queued->recipients)},
                          {"rejected", std::to_string(queued->rejected + plan.refused.size())},
                          {"segments", std::to_string(queued->segments)}});
    SendCounts counts = *queued;
    counts.rejected += static_cast<int>(plan.refused.size());
    return counts;
}

void addSendCommand(CLI::App& app, Client& client) {
    auto args = std::make_shared<SendArgs>();
    CLI::App* cmd =
        app.add_subcommand("send", u8"send a message to numbers, a group or a CSV file");
    cmd->add_option("numbers", args->numbers, u8"numbers to send to");
    cmd->add_option("--group", args->group, u8"send to the contacts of this address-book group")
        ->check(CLI::NonNegativeNumber);
    cmd->add_option("--csv", args->csv, u8"send to the numbers of this CSV file");
    cmd->add_option("--column", args->column, u8"the CSV column holding the numbers (from 1)")
        ->check(CLI::PositiveNumber);
    cmd->add_option("--text", args->text, u8"the message text");
    cmd->add_option("--phrase", args->phrase, u8"send the phrase with this id")
        ->check(CLI::NonNegativeNumber);
    cmd->add_option("--signature", args->signature, u8"signature appended to every message");
    cmd->add_flag("--personal", args->personal,
                  u8"the text is a template over the contacts' fields, e.g. <姓名>");
    cmd->add_option("--at", args->at, u8"send at this time, \"YYYY-MM-DD HH:MM\"");
    cmd->add_flag("--dry-run", args->dryRun,
                  u8"show recipients, texts and cost; queue and store nothing");
    cmd->callback([args, &client] {
        checkSendArgs(*args);
        if (args->dryRun) {
            dryRun(*args, client);
        } else {
            sendNow(*args, client);
        }
    });
}

}  // namespace smsctl
