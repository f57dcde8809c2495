// smsctl demo: the whole road of one send, in a fresh user folder under the
// temporary folder, for a newcomer to watch: the sample address book
// imported, a personalised send to its group and to typed numbers (one of
// them on the reject list) sent by the real threads, then the history, the
// send log and a summary.
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "addressbook/CFriendMag.h"
#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CRejectPhonesDataSerialize.h"
#include "contracts/platform/FilePath.h"
#include "records/CHistoryLogMag.h"
#include "records/CSmsSendLogMag.h"
#include "send/CSmsSendStartInstance.h"
#include "tools/smsctl/Client.h"
#include "tools/smsctl/Errors.h"
#include "tools/smsctl/SendPlan.h"
#include "tools/smsctl/System.h"
#include "tools/smsctl/Table.h"
#include "tools/smsctl/Terminal.h"
#include "tools/smsctl/commands.h"

namespace smsctl {
namespace {

const char* const kSample = "sample-contacts.csv";
const char* const kPrefixes = "carrier-prefixes.csv";
const char* const kRejected = "13900139013";

// A folder of its own under TMPDIR (else /tmp), removed at the end unless kept.
class DemoFolder {
public:
    explicit DemoFolder(bool keep) : keep_(keep) {
        std::error_code ec;
        const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
        // A random name, tried until one is free: created only by us.
        std::random_device seed;
        for (int attempt = 0; !ec && attempt < 100 && folder_.empty(); ++attempt) {
            const auto candidate = base / ("smsctl-demo-" + std::to_string(seed()));
            if (std::filesystem::create_directory(candidate, ec)) folder_ = candidate;
        }
        if (folder_.empty()) {
            throw Failure(u8"cannot make a folder under " + base.u8string() +
                          u8" (set TMPDIR to a writable folder)");
        }
        path_ = Platform::pathString(folder_);
        if (path_.empty()) {
            removeUnlessKept();
            throw Failure(u8"the temporary folder " + base.u8string() +
                          u8" has a name GBK cannot write (set TMPDIR to another folder)");
        }
    }
    ~DemoFolder() { removeUnlessKept(); }
    DemoFolder(const DemoFolder&) = delete;
    DemoFolder& operator=(const DemoFolder&) = delete;
    // The folder as the library takes paths.
    const std::string& path() const { return path_; }

private:
    void removeUnlessKept() const {
        std::error_code ec;
        if (!keep_) std::filesystem::remove_all(folder_, ec);
    }

    const bool keep_;
    std::filesystem::path folder_;
    std::string path_;
};

// A bundled data file, as the library takes paths: next to an installed
// program, else in the sources (a literal, so GBK like every literal here).
std::string dataPath(const char* name) {
    std::error_code ec;
    const std::filesystem::path exe = executablePath();
    const std::vector<std::filesystem::path> places = {
        exe.parent_path().parent_path() / "share" / "smslogic" / name,
        Platform::filePath(SMSCTL_DATA_DIR) / name};
    for (const auto& p : places) {
        const std::string path = Platform::pathString(p);
        if (!path.empty() && std::filesystem::is_regular_file(p, ec)) return path;
    }
    throw Failure(std::string(u8"the bundled file ") + name + u8" is missing");
}

// Imports the sample into a new group; its id.
int importSample(std::ostream& out) {
    SMS::CFriendMag mag;
    int group = 0;
    if (mag.addRootGroup("演示客户", group) != 1) throw Failure(u8"cannot add the demo's group");
    std::map<int, std::vector<std::string>> table;
    if (mag.parseFile(dataPath(kSample), table) != 1 || table.size() < 2) {
        throw Failure(u8"cannot read the sample address book");
    }
    std::vector<std::vector<std::string>> rows;
    for (auto it = std::next(table.begin()); it != table.end(); ++it) rows.push_back(it->second);
    if (mag.importFriend(rows, {"名字", "手机", "公司"}, {group}) != 1) {
        throw Failure(u8"the address book refused the sample");
    }
    out << u8"2. imported " << rows.size() << u8" contacts from " << kSample
        << u8" into the group \"演示客户\" (id " << group << ")\n";
    return group;
}

void rejectOneNumber(std::ostream& out) {
    auto* const store = dynamic_cast<Dmg::CRejectPhonesDataSerialize*>(
        Dmg::CDataManager::getSingleton().getDataSerialize("rejectphones"));
    if (store == nullptr || store->setRejectPhones({kRejected}) != 1) {
        throw Failure(u8"cannot set the reject-number list");
    }
    out << u8"3. put " << kRejected << u8" on the reject-number list: it will not be sent to\n";
}

void printHistory(std::ostream& out) {
    SMS::CHistoryLogMag history;
    history.loadAllLog();
    std::vector<Dmg::CHistoryMsg> rows;
    history.getAllLog(rows);
    Table table({"number", "time", "outcome", "text", "recipients"});
    for (const auto& r : rows) {
        table.add({std::to_string(r.number), toUtf8(r.time.getString()),
                   r.success ? u8"sent" : u8"failed", toUtf8(r.firstText), toUtf8(r.secondText)});
    }
    out << u8"\n6. the sent history:\n";
    table.print(out);
}

void printSendLog(std::ostream& out) {
    SMS::CSmsSendLogMag log;
    log.loadAll();
    std::vector<Dmg::CSendLosgMsg> rows;
    log.getLog(0, log.getLogNum(), rows);
    Table table({"time", "text", "sender", "extra"});
    for (const auto& e : rows) {
        table.add({toUtf8(e.time.getString()), toUtf8(e.firstText), toUtf8(e.secondText),
                   toUtf8(e.thirdText)});
    }
    out << u8"\n7. the send log:\n";
    table.print(out);
}

void runDemo(Client& client, bool keep) {
    if (client.options().gateway != "embedded") {
        throw UsageError(u8"demo runs on the embedded gateway: leave out --gateway");
    }
    const DemoFolder folder(keep);
    client.setUserDir(folder.path());
    client.start();
    std::ostream& out = std::cout;
    out << u8"smsctl demo in " << shownPath(folder.path())
        << (keep ? "" : u8" (removed at the end)") << '\n'
        << u8"sends go to " << client.gatewayDescription() << "\n\n";
    out << u8"1. carrier prefixes: ";
    loadPrefixTable(client, dataPath(kPrefixes), out);
    SendArgs send;
    send.group = importSample(out);
    rejectOneNumber(out);
    send.numbers = {"13700137007", "18600186008", kRejected};
    send.text = u8"<姓名>您好，本周六上午十点新品品鉴会，欢迎光临！";
    send.signature = u8"【演示】";
    send.personal = true;
    out << u8"4. a personalised send to the group and to " << send.numbers.size()
        << u8" typed numbers: " << send.text << send.signature << '\n'
        << u8"\n5. sending with the background threads:\n"
        << std::flush;
    const SendCounts counts = sendNow(send, client);
    printHistory(out);
    printSendLog(out);
    const int accepted = client.acceptedPackets();
    out << u8"\n8. summary: " << accepted << u8" packets sent, " << client.packetsDone() - accepted
        << u8" failed, " << counts.rejected << u8" recipients rejected, " << counts.segments
        << u8" segments, balance left " << client.terms().remainingSms - counts.segments
        << u8" segments\n";
    client.stop();
}

}  // namespace

void addDemoCommand(CLI::App& app, Client& client) {
    auto keep = std::make_shared<bool>(false);
    CLI::App* cmd = app.add_subcommand(
        "demo", u8"the whole road of one send, in a fresh temporary user folder");
    cmd->add_flag("--keep", *keep, u8"keep the demo's user folder and say where it is");
    cmd->callback([&client, keep] { runDemo(client, *keep); });
}

}  // namespace smsctl
