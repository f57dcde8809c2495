// `smsctl filters`: the reject words, reject numbers and test numbers the
// sender checks, and the carrier prefixes classification uses, read and
// written through the stores the data manager holds.
#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CRejectPhonesDataSerialize.h"
#include "contracts/dmg/CRejectWordsDataSerialize.h"
#include "contracts/dmg/CTestPhonesSerialize.h"
#include "contracts/dmg/UserConfigSerialize.h"
#include "contracts/fileserialize/CFileManager.h"
#include "phone/CPhoneNumMag.h"
#include "tools/smsctl/LibraryCommon.h"
#include "tools/smsctl/System.h"
#include "tools/smsctl/commands.h"

namespace smsctl {
namespace {

template <typename Store>
Store& storeNamed(const char* name) {
    auto* const store =
        dynamic_cast<Store*>(Dmg::CDataManager::getSingleton().getDataSerialize(name));
    if (store == nullptr) throw Failure(std::string(u8"the store ") + name + u8" is not open");
    return *store;
}

using List = std::vector<std::string>;

// One editable list: its command, what an entry is, and its store calls.
struct ListKind {
    const char* command;
    const char* description;
    const char* noun;  // "reject word"
    bool isNumber;     // entries are trimmed of blanks, as the store matches them
    std::function<int(List&)> get;
    std::function<int(const List&)> set;
};

List readList(const ListKind& kind) {
    List list;
    kind.get(list);
    return list;
}

std::string trimmed(std::string text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), blank));
    text.erase(std::find_if_not(text.rbegin(), text.rend(), blank).base(), text.end());
    return text;
}

std::string entryOf(const ListKind& kind, const std::string& arg) {
    std::string entry = toGbk(arg, kind.noun);
    if (kind.isNumber) entry = trimmed(entry);
    if (entry.empty())
        throw UsageError(std::string(u8"an empty ") + kind.noun + u8" matches nothing");
    return entry;
}

void addListCommand(CLI::App* parent, Client& client, const ListKind& kind) {
    CLI::App* cmd = parent->add_subcommand(kind.command, kind.description);
    cmd->require_subcommand(1);
    auto args = std::make_shared<std::vector<std::string>>();
    const std::string nouns = std::string(kind.noun) + "s";

    cmd->add_subcommand("list", u8"print the " + nouns)->callback([&client, kind] {
        client.start();
        Table table({kind.isNumber ? "number" : "word"});
        for (const std::string& e : readList(kind)) table.add({toUtf8(e)});
        table.print(std::cout, client.options().json);
    });

    CLI::App* add = cmd->add_subcommand("add", u8"add " + nouns + u8" to the list");
    add->add_option("entries", *args, u8"the " + nouns)->required();
    add->callback([&client, kind, args] {
        List wanted;
        for (const std::string& a : *args) wanted.push_back(entryOf(kind, a));
        client.start();
        List list = readList(kind);
        std::size_t added = 0;
        for (const std::string& e : wanted) {
            if (std::find(list.begin(), list.end(), e) != list.end()) continue;
            list.push_back(e);
            ++added;
        }
        require(kind.set(list), std::string(u8"cannot save the ") + kind.noun + u8"s");
        std::cout << u8"added " << plural(added, kind.noun) << '\n';
    });

    CLI::App* remove = cmd->add_subcommand("remove", u8"remove " + nouns + u8" from the list");
    remove->add_option("entries", *args, u8"the " + nouns)->required();
    remove->callback([&client, kind, args] {
        List unwanted;
        for (const std::string& a : *args) unwanted.push_back(entryOf(kind, a));
        client.start();
        List list = readList(kind);
        for (const std::string& e : unwanted) {  // all or none
            if (std::find(list.begin(), list.end(), e) == list.end()) {
                throw Failure(u8"not on the list: " + toUtf8(e));
            }
        }
        const auto gone = [&unwanted](const std::string& e) {
            return std::find(unwanted.begin(), unwanted.end(), e) != unwanted.end();
        };
        const std::size_t before = list.size();
        list.erase(std::remove_if(list.begin(), list.end(), gone), list.end());
        require(kind.set(list), std::string(u8"cannot save the ") + kind.noun + u8"s");
        std::cout << u8"removed " << plural(before - list.size(), kind.noun) << '\n';
    });
}

void addListCommands(CLI::App* cmd, Client& client) {
    using Words = Dmg::CRejectWordsDataSerialize;
    using Phones = Dmg::CRejectPhonesDataSerialize;
    using Tests = Dmg::CTestPhonesSerialize;
    addListCommand(
        cmd, client,
        {"reject-words", u8"words the carriers refuse in a message", u8"reject word", false,
         [](List& l) { return storeNamed<Words>("rejectwords").getRejectWords(l); },
         [](const List& l) { return storeNamed<Words>("rejectwords").setRejectWords(l); }});
    addListCommand(
        cmd, client,
        {"reject-numbers", u8"numbers that are never sent to", u8"reject number", true,
         [](List& l) { return storeNamed<Phones>("rejectphones").getRejectPhones(l); },
         [](const List& l) { return storeNamed<Phones>("rejectphones").setRejectPhones(l); }});
    addListCommand(
        cmd, client,
        {"test-numbers", u8"your own numbers, which get the first, small packets of a send",
         u8"test number", true,
         [](List& l) { return storeNamed<Tests>("testphonenum").getTestPhones(l); },
         [](const List& l) { return storeNamed<Tests>("testphonenum").setTestPhones(l); }});
}

// ---- carrier prefixes ----

constexpr std::array<const char*, 3> kCarrierNames = {u8"China Mobile", u8"China Unicom",
                                                      u8"China Telecom"};
using Lists = std::array<List, 3>;

// The store's lists; an empty one means the carrier is not configured.
Lists storedPrefixes() {
    auto& store = storeNamed<Dmg::UserConfigSerialize>("userconfigfile");
    Lists lists;
    store.getChinaMobileNumHeader(lists[0]);
    store.getChinaUnicomNumHeader(lists[1]);
    store.getChinaTeleComNumHeader(lists[2]);
    return lists;
}

// The lists classification works with: the store's, or for a carrier the
// store leaves unconfigured the built-in defaults (the library's own rule).
struct PrefixesInUse : SMS::CPhoneNumMag {
    Lists lists() const { return {m_ydHeaders, m_ltHeaders, m_dxHeaders}; }
};

// "China Mobile", "mobile", "YD" and the like, any case; -1 for none.
int carrierIndex(std::string cell) {
    std::transform(cell.begin(), cell.end(), cell.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    static const std::map<std::string, int> names = {
        {"china mobile", 0},  {"mobile", 0},  {"yd", 0},
        {"china unicom", 1},  {"unicom", 1},  {"lt", 1},
        {"china telecom", 2}, {"telecom", 2}, {"dx", 2}};
    const auto it = names.find(cell);
    return it == names.end() ? -1 : it->second;
}

// Rows "carrier,prefix"; empty rows, rows starting with '#' and a header row
// "carrier,..." are skipped. Every carrier needs at least one prefix.
Lists parsePrefixFile(const std::string& path, const std::map<int, List>& rows) {
    Lists lists;
    for (const auto& [index, row] : rows) {
        List cells;  // "China Mobile, 150" is read as it is meant
        for (const std::string& cell : row) cells.push_back(trimmed(cell));
        if (cells.empty() || cells[0].empty() || cells[0][0] == '#') continue;
        if (cells[0] == "carrier") continue;
        const std::string where = path + u8" row " + std::to_string(index + 1) + u8": ";
        const int carrier = carrierIndex(cells[0]);
        if (carrier < 0) throw UsageError(where + u8"unknown carrier '" + toUtf8(cells[0]) + "'");
        const std::string prefix = cells.size() > 1 ? cells[1] : "";
        const bool digits =
            prefix.size() == 3 &&
            std::all_of(prefix.begin(), prefix.end(), [](char c) { return c >= '0' && c <= '9'; });
        if (!digits) throw UsageError(where + u8"a prefix is three digits");
        List& list = lists[static_cast<std::size_t>(carrier)];
        if (std::find(list.begin(), list.end(), prefix) == list.end()) list.push_back(prefix);
    }
    for (std::size_t i = 0; i < lists.size(); ++i) {
        if (lists[i].empty()) {
            throw UsageError(path + u8" gives no prefix for " + kCarrierNames[i]);
        }
    }
    return lists;
}

std::string joined(const List& list) {
    std::string text;
    for (const std::string& p : list) text += (text.empty() ? "" : " ") + p;
    return text;
}

void addPrefixCommands(CLI::App* parent, Client& client) {
    CLI::App* cmd = parent->add_subcommand("prefixes", u8"the carriers' number prefixes");
    cmd->require_subcommand(1);
    cmd->add_subcommand("list", u8"print the prefix lists in use")->callback([&client] {
        client.start();
        const Lists stored = storedPrefixes();
        const Lists inUse = PrefixesInUse().lists();
        Table table({"carrier", "source", "prefixes"});
        for (std::size_t i = 0; i < inUse.size(); ++i) {
            table.add({kCarrierNames[i], stored[i].empty() ? "built-in" : "configured",
                       joined(inUse[i])});
        }
        table.print(std::cout, client.options().json);
    });

    auto file = std::make_shared<std::string>();
    CLI::App* importCmd = cmd->add_subcommand(
        "import", u8"replace the prefix lists with those of a CSV file (carrier,prefix rows)");
    importCmd->add_option("file", *file, u8"e.g. data/carrier-prefixes.csv")->required();
    importCmd->callback(
        [&client, file] { loadPrefixTable(client, libraryPath(*file, "file"), std::cout); });
}

}  // namespace

void loadPrefixTable(Client& client, const std::string& path, std::ostream& out) {
    std::map<int, List> rows;
    const std::string shown = shownPath(path);
    if (FileSerialize::CFileManager::getSingleton().importFromFile(path, rows) == 0) {
        throw Failure(u8"cannot read " + shown + u8" (see smsctl.log in the user directory)");
    }
    const Lists lists = parsePrefixFile(shown, rows);
    client.start();
    auto& store = storeNamed<Dmg::UserConfigSerialize>("userconfigfile");
    require(store.setChinaMobileNumHeader(lists[0]) && store.setChinaUnicomNumHeader(lists[1]) &&
                store.setChinaTeleComNumHeader(lists[2]),
            u8"cannot save the prefixes");
    // Numbers classified later in this run use the new lists too.
    SMS::CPhoneNumMag::inistance()->Init(lists[0], lists[1], lists[2]);
    out << u8"loaded " << lists[0].size() << ' ' << kCarrierNames[0] << ", " << lists[1].size()
        << ' ' << kCarrierNames[1] << ", " << lists[2].size() << ' ' << kCarrierNames[2]
        << u8" prefixes\n";
}

void warnIfDefaultPrefixes(Client& client) {
    static bool warned = false;  // once per run; the caller's thread only
    if (warned) return;
    client.start();
    const Lists stored = storedPrefixes();
    const bool defaults =
        std::any_of(stored.begin(), stored.end(), [](const List& l) { return l.empty(); });
    if (!defaults) return;
    warned = true;
    std::fprintf(stderr, "%s",
                 u8"smsctl: the carrier prefixes are the built-in defaults, which miss many "
                 u8"current number blocks; load a current table with: smsctl filters prefixes "
                 u8"import data/carrier-prefixes.csv\n");
}

void addFiltersCommand(CLI::App& app, Client& client) {
    CLI::App* cmd = app.add_subcommand("filters", u8"reject lists, test numbers, carrier prefixes");
    cmd->require_subcommand(1);
    addListCommands(cmd, client);
    addPrefixCommands(cmd, client);
}

}  // namespace smsctl
