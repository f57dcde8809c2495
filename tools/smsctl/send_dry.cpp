// smsctl send --dry-run: the send composed and split as the pipeline would do
// it, shown with its cost; nothing is queued and the user folder's files are
// not written (the log included).
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "contracts/base/CLog.h"
#include "contracts/dmg/CSendQueueElement.h"
#include "contracts/net/CNetConfigData.h"
#include "contracts/net/CNetLogResult.h"
#include "contracts/platform/FilePath.h"
#include "send/CSmsSendStartInstance.h"
#include "send/CSmsSender.h"
#include "tools/smsctl/Client.h"
#include "tools/smsctl/SendPlan.h"
#include "tools/smsctl/Table.h"
#include "tools/smsctl/Terminal.h"
#include "tools/smsctl/TimeAndCarrier.h"

namespace smsctl {
namespace {

using Elements = std::vector<Dmg::CSendQueueElement>;

// The pipeline's split by the reject lists, which only reads them.
class Splitter : public SMS::CSmsSender {
public:
    // Returns the refusal of the whole send (UTF-8), or empty.
    std::string split(const SMS::CSmsMsgProcessor& processor, const Elements& elements,
                      Elements& send, Elements& rejected) {
        if (SMS::CSmsSendStartInstance::Instance()->filterContent == 0) {
            FliterA(elements, send, rejected);
        } else if (!elements.front().commonMsg) {
            FliterB(elements, send, rejected);
        } else if (!processor.filterMsg(elements.front().message)) {
            return u8"the text holds a word the carriers block";
        } else {
            FliterA(elements, send, rejected);
        }
        return std::string();
    }
};

struct Row {
    std::string number, carrier, text;  // UTF-8
    int segments = 0;
    bool rejected = false;
};

struct Cost {
    std::map<std::string, int> perCarrier;
    int total = 0;
    std::string refusal;  // UTF-8, empty when the send would be queued
};

void addRows(const Elements& elements, bool rejected, std::vector<Row>& rows, Cost& cost) {
    const SMS::CSmsSendStartInstance& settings = *SMS::CSmsSendStartInstance::Instance();
    for (const auto& e : elements) {
        Row row{toUtf8(e.phone), carrierCode(e.phone), toUtf8(e.message),
                settings.segmentCount(e.phone, e.message), rejected};
        if (!rejected) {
            cost.perCarrier[row.carrier] += row.segments;
            cost.total += row.segments;
        }
        rows.push_back(row);
    }
}

// The pipeline's limits: the most one send may cost, and the balance.
std::string limitRefusal(bool timed, int total) {
    const SMS::CSmsSendStartInstance& s = *SMS::CSmsSendStartInstance::Instance();
    if (total > (timed ? s.maxTimedSendCount : s.maxSendCount)) {
        return u8"it costs more segments than one send may";
    }
    if (total > s.remainingSms) return u8"the balance is too small";
    return std::string();
}

void printJson(const SendArgs& args, const Plan& plan, const std::vector<Row>& rows,
               const Cost& cost) {
    std::cout << "{\"at\": " << jsonString(args.at) << ", \"recipients\": [";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& r = rows[i];
        std::cout << (i ? ", " : "") << "{\"number\": " << jsonString(r.number)
                  << ", \"carrier\": " << jsonString(r.carrier) << ", \"segments\": " << r.segments
                  << ", \"rejected\": " << (r.rejected ? "true" : "false")
                  << ", \"text\": " << jsonString(r.text) << '}';
    }
    std::cout << "], \"refused\": [";
    for (std::size_t i = 0; i < plan.refused.size(); ++i) {
        std::cout << (i ? ", " : "") << "{\"number\": " << jsonString(plan.refused[i].number)
                  << ", \"reason\": " << jsonString(plan.refused[i].reason) << '}';
    }
    std::cout << "], \"segments\": {";
    const char* sep = "";
    for (const auto& c : cost.perCarrier) {
        std::cout << sep << jsonString(c.first) << ": " << c.second;
        sep = ", ";
    }
    std::cout << "}, \"total\": " << cost.total
              << ", \"balance\": " << SMS::CSmsSendStartInstance::Instance()->remainingSms
              << ", \"refusal\": " << jsonString(cost.refusal) << "}\n";
}

void printText(const SendArgs& args, const Plan& plan, const std::vector<Row>& rows,
               const Cost& cost) {
    reportRefused(plan);
    if (!args.at.empty()) std::cout << "at: " << args.at << '\n';
    Table table({"number", "carrier", "segments", "status", "text"});
    for (const Row& r : rows) {
        table.add({r.number, r.carrier, std::to_string(r.segments),
                   r.rejected ? u8"rejected" : u8"send", r.text});
    }
    table.print(std::cout);
    std::cout << "segments:";
    for (const auto& c : cost.perCarrier) std::cout << ' ' << c.first << ' ' << c.second;
    std::cout << "\ntotal: " << cost.total << " segments (balance "
              << SMS::CSmsSendStartInstance::Instance()->remainingSms << ")\n";
    if (!cost.refusal.empty()) std::cout << "the send would be refused: " << cost.refusal << '\n';
}

// True when the user folder holds user data; otherwise they are not created.
bool userDataExist(const Client& client) {
    std::error_code ec;
    return std::filesystem::exists(Platform::filePath(client.chosenUserDir() + "/Main.dll"), ec);
}

}  // namespace

void dryRun(const SendArgs& args, Client& client) {
    const bool withData = userDataExist(client);
    if (withData) {
        // Opening and closing the stores writes nothing; the log would, so
        // it is closed once the start-up is done (that logs nothing).
        client.start();
        Base::CLog::getSingleton().closeLogFile();
    } else {
        // The embedded gateway's terms (every login there gets this balance),
        // without logging in: that would create the user folder.
        SMS::NET::CNetLogResult terms;
        terms.remainingSms = 100000;
        SMS::CSmsSendStartInstance::Instance()->setNetConfigData(terms, SMS::NET::CNetConfigData());
    }
    Plan plan;
    composePlan(args, withData, plan);
    Elements elements, send, rejected;
    const bool check = SMS::CSmsSendStartInstance::Instance()->filterContent != 0;
    Cost cost;
    std::vector<Row> rows;
    if (plan.processor.getSendQueue(elements, check) == 1) {
        cost.refusal = Splitter().split(plan.processor, elements, send, rejected);
        addRows(send, false, rows, cost);
        addRows(rejected, true, rows, cost);
        if (cost.refusal.empty()) cost.refusal = limitRefusal(!args.at.empty(), cost.total);
    } else {
        cost.refusal = u8"there is no number to send to";
    }
    if (client.options().json) {
        printJson(args, plan, rows, cost);
    } else {
        printText(args, plan, rows, cost);
    }
}

}  // namespace smsctl
