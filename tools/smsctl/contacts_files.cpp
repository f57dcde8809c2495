// contacts import/export (CSV through the file library), upload (to the
// gateway) and groups (the group tree).
#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "addressbook/CFriendMag.h"
#include "addressbook/CNetFriendUpload.h"
#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CLocalDataSerialize.h"
#include "phone/CPhoneNumMag.h"
#include "tools/smsctl/Client.h"
#include "tools/smsctl/Errors.h"
#include "tools/smsctl/Progress.h"
#include "tools/smsctl/System.h"
#include "tools/smsctl/Terminal.h"
#include "tools/smsctl/contacts.h"

namespace smsctl::contacts {
namespace {

constexpr char kNumber[] = "手机";
constexpr std::size_t kLongExport = 1000;  // contacts that get a progress bar
constexpr int kMaxDepth = 64;              // of the group tree, against a broken store
const std::string kSeeLog = " (see smsctl.log in the user directory)";

using Rows = std::map<int, std::vector<std::string>>;

// "手机,名字,,公司": the property of each column; an empty name skips one.
std::vector<std::string> parseColumns(const std::string& utf8) {
    std::vector<std::string> columns;
    std::size_t from = 0;
    while (true) {
        const std::size_t comma = utf8.find(',', from);
        const std::string label = utf8.substr(from, comma - from);
        const std::string property = label.empty() ? "" : propertyOf(toGbk(label, "--columns"));
        if (!label.empty() && property.empty()) {
            throw UsageError("--columns: unknown contact property '" + label + "'");
        }
        columns.push_back(property);
        if (comma == std::string::npos) return columns;
        from = comma + 1;
    }
}

// The header row's properties, or none when it names no known property.
std::vector<std::string> headerColumns(const std::vector<std::string>& header) {
    std::vector<std::string> columns;
    bool any = false;
    for (const std::string& cell : header) {
        columns.push_back(propertyOf(cell));
        any = any || !columns.back().empty();
    }
    return any ? columns : std::vector<std::string>();
}

// Rows the library will store: a sendable number in the last number column.
std::size_t storable(const std::vector<std::vector<std::string>>& rows,
                     const std::vector<std::string>& columns) {
    std::size_t at = columns.size();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i] == kNumber) at = i;
    }
    std::size_t count = 0;
    for (const auto& row : rows) {
        if (at < row.size() && SMS::CPhoneNumMag::inistance()->IsPhoneNum(row[at])) ++count;
    }
    return count;
}

struct ImportArgs {
    std::string file, columns;
    std::vector<int> groups;
};

void importFile(Client& client, const ImportArgs& a) {
    std::vector<std::string> columns =
        a.columns.empty() ? std::vector<std::string>() : parseColumns(a.columns);
    client.start();
    SMS::CFriendMag mag;
    Rows table;
    check(mag.parseFile(libraryPath(a.file, "file"), table), "cannot read " + a.file + kSeeLog);
    const bool header = columns.empty();
    if (header && !table.empty()) columns = headerColumns(table.begin()->second);
    if (columns.empty()) {
        throw UsageError("the first row of " + a.file +
                         " names no contact property: give --columns");
    }
    if (std::find(columns.begin(), columns.end(), kNumber) == columns.end()) {
        throw UsageError(u8"no column holds the mobile number (手机)");
    }
    std::vector<std::vector<std::string>> rows;
    for (auto& [number, cells] : table) {
        if (!(header && number == table.begin()->first)) rows.push_back(std::move(cells));
    }
    const std::size_t stored = storable(rows, columns);
    check(mag.importFriend(rows, columns, groupsOrDefault(a.groups)),
          "nothing imported: the address book refused the contacts (is every --group there?)" +
              kSeeLog);
    std::cout << "stored " << stored << " contacts, skipped " << rows.size() - stored << " rows\n";
}

void exportFile(Client& client, const std::string& file, int group) {
    client.start();
    SMS::CFriendMag mag;
    check(mag.getGroupFriendNum(group), "cannot read group " + std::to_string(group));
    std::vector<Dmg::CFriend> all;
    mag.getAllFriend(all);  // the whole group, past the first load
    std::unique_ptr<TerminalProgress> progress;
    if (all.size() >= kLongExport) {
        progress = std::make_unique<TerminalProgress>();
        progress->setText("writing %zu contacts", all.size());
        progress->setRange(0, 1, 1);
    }
    check(mag.exportFriend(libraryPath(file, "file"), all), "cannot write " + file + kSeeLog);
    if (progress) progress->offsetPos(1);
    progress.reset();
    std::cerr << "exported " << all.size() << " contacts to " << file << '\n';
}

// Contacts the upload will send: those the store has not marked as uploaded.
std::size_t pendingUploads() {
    auto* const store = static_cast<Dmg::CLocalDataSerialize*>(
        Dmg::CDataManager::getSingleton().getDataSerialize("database"));
    std::vector<Dmg::CFriend> pending;
    if (store != nullptr) store->getTopXFriend(INT_MAX, pending);
    return pending.size();
}

void upload(Client& client) {
    client.start();
    std::cerr << "uploading to " << client.gatewayDescription() << '\n';
    const std::size_t pending = pendingUploads();
    if (pending == 0) {
        std::cerr << "every contact is uploaded already\n";
        return;
    }
    TerminalProgress progress;
    progress.setText("uploading contacts");
    progress.setRange(0, static_cast<int>(pending), 1);
    // Set by the upload thread when it returns, read by this thread; atomic.
    std::atomic<bool> done{false};
    std::thread worker([&done] {
        SMS::CNetFriendUpload().Upload();
        done = true;
    });
    std::size_t shown = 0;
    while (!done) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const std::size_t now = static_cast<std::size_t>(client.uploadedContacts());
        progress.offsetPos(static_cast<int>(now - shown));
        shown = now;
    }
    worker.join();
    const std::size_t sent = static_cast<std::size_t>(client.uploadedContacts());
    progress.offsetPos(static_cast<int>(sent - shown));
    progress.finish();
    if (sent < pending) {
        throw Failure("uploaded " + std::to_string(sent) + " of " + std::to_string(pending) +
                      " contacts" + kSeeLog);
    }
    if (client.overHttp()) {
        std::cerr << "uploaded " << sent << " contacts to " << client.gatewayUrl() << '\n';
    } else {
        std::cerr << "uploaded " << sent << " contacts (a simulation: nothing left this machine)\n";
    }
}

void listGroups(SMS::CFriendMag& mag, int parent, int depth, Table& table, bool json) {
    if (depth > kMaxDepth) return;
    std::vector<Dmg::CFriendGroup> groups;
    check(parent == 0 ? mag.getRootGroup(groups) : mag.getSubGroup(parent, groups),
          "cannot read the group tree" + kSeeLog);
    for (const auto& g : groups) {
        const std::string indent = json ? "" : std::string(2 * depth, ' ');
        table.add({std::to_string(g.id), indent + toUtf8(g.name), std::to_string(g.parentId)});
        listGroups(mag, g.id, depth + 1, table, json);
    }
}

}  // namespace

void addFileCommands(CLI::App& contacts, Client& client) {
    auto importArgs = std::make_shared<ImportArgs>();
    CLI::App* importCmd = contacts.add_subcommand("import", "add the contacts of a CSV file");
    importCmd->add_option("file", importArgs->file, "the CSV file (GBK or UTF-8)")->required();
    importCmd->add_option("--columns", importArgs->columns,
                          u8"the property of each column, e.g. \"手机,名字,,公司\" "
                          u8"(default: the file's header row)");
    importCmd
        ->add_option("--group", importArgs->groups,
                     "a group to file them under (repeatable; default 1)")
        ->check(CLI::PositiveNumber);
    importCmd->callback([&client, importArgs] { importFile(client, *importArgs); });

    auto file = std::make_shared<std::string>();
    auto group = std::make_shared<int>(1);
    CLI::App* exportCmd =
        contacts.add_subcommand("export", "write a group's contacts to a CSV file");
    exportCmd->add_option("file", *file, "the CSV file to write (GBK)")->required();
    exportCmd->add_option("--group", *group, "the group (default 1)")->check(CLI::PositiveNumber);
    exportCmd->callback([&client, file, group] { exportFile(client, *file, *group); });

    contacts.add_subcommand("upload", "upload new and changed contacts to the gateway")
        ->callback([&client] { upload(client); });
}

void addGroupCommands(CLI::App& contacts, Client& client) {
    CLI::App* groups = contacts.add_subcommand("groups", "the group tree");
    groups->require_subcommand(1);

    groups->add_subcommand("list", "show the group tree")->callback([&client] {
        client.start();
        SMS::CFriendMag mag;
        Table table({"id", "name", "parent"});
        listGroups(mag, 0, 0, table, client.options().json);
        table.print(std::cout, client.options().json);
    });

    auto name = std::make_shared<std::string>();
    auto parent = std::make_shared<int>(0);
    CLI::App* add = groups->add_subcommand("add", "add a group and print its id");
    add->add_option("name", *name, "the group's name")->required();
    add->add_option("--parent", *parent, "the parent group (default: a root group)")
        ->check(CLI::PositiveNumber);
    add->callback([&client, name, parent] {
        const std::string gbk = toGbk(*name, "name");
        client.start();
        SMS::CFriendMag mag;
        int id = 0;
        check(*parent == 0 ? mag.addRootGroup(gbk, id) : mag.addSubGroup(*parent, gbk, id),
              "cannot add the group" + kSeeLog);
        std::cout << id << '\n';
    });

    auto id = std::make_shared<int>(0);
    CLI::App* rename = groups->add_subcommand("rename", "rename a group");
    rename->add_option("id", *id, "the group")->required()->check(CLI::PositiveNumber);
    rename->add_option("name", *name, "the new name")->required();
    rename->callback([&client, id, name] {
        const std::string gbk = toGbk(*name, "name");
        client.start();
        check(SMS::CFriendMag().renameGroup(*id, gbk),
              "cannot rename group " + std::to_string(*id));
        std::cerr << "renamed group " << *id << '\n';
    });

    CLI::App* del =
        groups->add_subcommand("delete", "delete a group and its subgroups (not their contacts)");
    del->add_option("id", *id, "the group")->required()->check(CLI::PositiveNumber);
    del->callback([&client, id] {
        client.start();
        check(SMS::CFriendMag().delGroup(*id),
              "cannot delete group " + std::to_string(*id) +
                  (*id == 1 ? " (the default group stays)" : kSeeLog));
        std::cerr << "deleted group " << *id << '\n';
    });
}

}  // namespace smsctl::contacts
