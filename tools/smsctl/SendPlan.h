// The parts of `smsctl send` shared by a real send and a dry run: the
// arguments, and the send composed from them as the library's composition
// object holds it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "contracts/dmg/CSmsData.h"
#include "send/CSmsMsgProcessor.h"

namespace smsctl {

class Client;

struct SendArgs {
    std::vector<std::string> numbers;  // UTF-8, as typed
    int group = -1;                    // address-book group, -1 for none
    std::string csv;                   // CSV file of numbers, empty for none
    int column = 1;                    // its column holding the numbers, from 1
    std::string text;                  // UTF-8
    int phrase = -1;                   // phrase library id, -1 for none
    std::string signature;             // UTF-8
    bool personal = false;
    std::string at;  // "YYYY-MM-DD HH:MM", empty for now
    bool dryRun = false;
};

// A number the composition refused, and why (UTF-8).
struct Refusal {
    std::string number;
    std::string reason;
};

struct Plan {
    SMS::CSmsMsgProcessor processor;
    std::vector<Refusal> refused;
    int recipients = 0;
};

// Checks what can be checked without the library; throws UsageError.
void checkSendArgs(const SendArgs& args);
// Composes the send. `withUserData` false: the user data are not open, so a
// group or a phrase cannot be read (Failure).
void composePlan(const SendArgs& args, bool withUserData, Plan& plan);
// Prints the refused numbers on stderr.
void reportRefused(const Plan& plan);

// What the pipeline handed to the sending thread.
struct SendCounts {
    int recipients = 0;
    int rejected = 0;  // recipients on a reject list: their packets fail unsent
    int segments = 0;
};

// A real send: composed, queued, sent by the threads and waited for, its
// summary printed. Throws Failure when refused or stopped by Ctrl-C.
SendCounts sendNow(const SendArgs& args, Client& client);

// The dry run: shows what the send would be and stores nothing.
void dryRun(const SendArgs& args, Client& client);

// Packets waiting in the send queue of the user data.
int waitingPackets();
// Waits for the sending threads; after Ctrl-C throws Failure saying how many
// packets stay queued.
void waitOrStop(Client& client);
// The run's summary: `fields` (name, number) and the packets the gateway
// accepted and those that failed.
void printOutcome(Client& client, std::vector<std::pair<std::string, std::string>> fields);

}  // namespace smsctl
