// contacts: the address book as the contact list of a user interface shows
// it: add, list a group page by page, search, show, modify and delete.
#include "tools/smsctl/contacts.h"

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "addressbook/CFriendMag.h"
#include "addressbook/CFriendSet.h"
#include "phone/CPhoneNumMag.h"
#include "tools/smsctl/Client.h"
#include "tools/smsctl/Errors.h"
#include "tools/smsctl/Progress.h"
#include "tools/smsctl/Terminal.h"
#include "tools/smsctl/commands.h"

namespace smsctl {
namespace contacts {
namespace {

constexpr int kFirstLoad = 340;             // the manager's first load of a group
constexpr std::size_t kShowProgress = 100;  // deletes that get a progress bar

// Every contact property, in the record's order, for `show`.
const char* const kProperties[] = {
    "ID",       "名字",     "手机",         "电话",  "邮箱", "性别",         "生日",
    "婚否",     "公司",     "职业",         "地址",  "邮编", "发送生日提醒", "所属组ID",
    "生日提醒", "个性签名", "生日短语内容", "尊称",  "注释", "备用1",        "备用2",
    "备用3",    "备用4",    "备用5",        "备用6",
};

std::string value(const Dmg::CFriend& contact, const char* property) {
    std::string text;
    contact.getValue(property, text);
    return toUtf8(text);
}

struct AddArgs {
    std::string name, mobile;
    std::vector<int> groups;
    std::vector<std::string> settings;
};

void add(Client& client, const AddArgs& a) {
    Dmg::CFriend contact;
    contact.addPropetyAndValue("名字", toGbk(a.name, "--name"));
    const std::string mobile = toGbk(a.mobile, "--mobile");
    if (!SMS::CPhoneNumMag::inistance()->IsPhoneNum(mobile)) {
        throw UsageError("--mobile: '" + a.mobile + "' is not a mobile number");
    }
    contact.addPropetyAndValue("手机", mobile);
    applySettings(contact, a.settings);
    client.start();
    // One contact, filed under every group named (the manager's list form
    // would add one copy per group).
    const std::vector<int> groups = groupsOrDefault(a.groups);
    SMS::CFriendMag mag;
    int id = 0;
    check(mag.addFriend(contact, {groups.front()}, id),
          "cannot add the contact to group " + std::to_string(groups.front()));
    for (std::size_t i = 1; i < groups.size(); ++i) {
        check(mag.addFriGroupRelation(id, groups[i]), "contact " + std::to_string(id) +
                                                          " added, but not to group " +
                                                          std::to_string(groups[i]));
    }
    std::cout << id << '\n';
}

struct ListArgs {
    int group = 1, page = 0, pageSize = 20;
};

void list(Client& client, const ListArgs& a) {
    client.start();
    SMS::CFriendMag mag;
    mag.init(a.pageSize);
    check(mag.getGroupFriendNum(a.group), "cannot read group " + std::to_string(a.group));
    // The whole group only when the first load may have stopped short.
    if (mag.getCurFriendNum() >= kFirstLoad) mag.getGroupFriendW();
    const long long total = mag.getCurFriendNum();
    std::vector<Dmg::CFriend> page;
    mag.getFriend(0, a.page + 1, page);  // pages count from 1 there; past the end: none
    Table table = contactTable();
    for (const auto& c : page) addRow(table, c);
    table.print(std::cout, client.options().json);
    const long long pages = (total + a.pageSize - 1) / a.pageSize;
    std::cerr << "page " << a.page << " of " << pages << " (pages count from 0), " << total
              << " contacts in the group\n";
}

void search(Client& client, const std::string& label, const std::string& text) {
    const std::string property = propertyOf(toGbk(label, "label"));
    if (property.empty()) throw UsageError("unknown contact property '" + label + "'");
    const std::string gbk = toGbk(text, "value");
    client.start();
    SMS::CFriendMag mag;
    check(mag.selectFriendNum(property, gbk),
          "cannot search by '" + label + "' (see smsctl.log in the user directory)");
    std::vector<Dmg::CFriend> found;
    mag.getAllFriend(found);
    Table table = contactTable();
    for (const auto& c : found) addRow(table, c);
    table.print(std::cout, client.options().json);
}

Dmg::CFriend fetch(SMS::CFriendMag& mag, int id, std::vector<Dmg::CFriendGroup>* groups) {
    Dmg::CFriend contact;
    const int found =
        groups ? mag.getFriendInfo(id, contact, *groups) : mag.getFriendInfo(id, contact);
    check(found, "no contact with id " + std::to_string(id));
    return contact;
}

void show(Client& client, int id) {
    client.start();
    SMS::CFriendMag mag;
    std::vector<Dmg::CFriendGroup> groups;
    const Dmg::CFriend contact = fetch(mag, id, &groups);
    Table table({"property", "value"});
    for (const char* p : kProperties) table.add({toUtf8(p), value(contact, p)});
    std::string names;
    for (const auto& g : groups) {
        names += (names.empty() ? "" : ", ") + std::to_string(g.id) + " " + toUtf8(g.name);
    }
    table.add({"groups", names});
    table.print(std::cout, client.options().json);
}

void modify(Client& client, int id, const std::vector<std::string>& settings) {
    client.start();
    SMS::CFriendMag mag;
    Dmg::CFriend contact = fetch(mag, id, nullptr);
    applySettings(contact, settings);
    check(mag.modifyFriend(id, contact), "cannot modify contact " + std::to_string(id));
    std::cerr << "modified contact " << id << '\n';
}

void remove(Client& client, const std::vector<int>& ids) {
    client.start();
    SMS::CFriendMag mag;
    std::unique_ptr<TerminalProgress> progress;
    if (ids.size() >= kShowProgress) {
        progress = std::make_unique<TerminalProgress>();
        progress->setText("deleting contacts");
        progress->setRange(0, static_cast<int>(ids.size()), 1);
    }
    int deleted = 0;
    std::string missing;
    for (const int id : ids) {
        if (progress && progress->isCanceled()) break;
        const int result = mag.delFriend(id);  // 2 deleted, 1 none there, 0 failed
        if (result == 0)
            throw Failure("cannot delete contact " + std::to_string(id) + " (" +
                          std::to_string(deleted) + " deleted before)");
        if (result == 2) ++deleted;
        if (result == 1) missing += " " + std::to_string(id);
        if (progress) progress->offsetPos(1);
    }
    progress.reset();
    std::cerr << "deleted " << deleted << (deleted == 1 ? " contact\n" : " contacts\n");
    if (!missing.empty()) throw Failure("no contact with id" + missing);
}

}  // namespace

std::string propertyOf(const std::string& gbkLabel) {
    const auto& labels = CFriendSet::inistance()->m_labelToProperty;
    const auto it = labels.find(gbkLabel);
    if (it != labels.end()) return it->second;
    std::string unused;
    return Dmg::CFriend().getValue(gbkLabel, unused) != 0 ? gbkLabel : std::string();
}

void applySettings(Dmg::CFriend& contact, const std::vector<std::string>& settings) {
    for (const std::string& s : settings) {
        const std::size_t eq = s.find('=');
        if (eq == std::string::npos) throw UsageError("--set: '" + s + "' is not LABEL=VALUE");
        const std::string label = s.substr(0, eq);
        const std::string property = propertyOf(toGbk(label, "--set"));
        if (property.empty() || property == "ID") {
            throw UsageError("--set: unknown contact property '" + label + "'");
        }
        contact.addPropetyAndValue(property, toGbk(s.substr(eq + 1), "--set"));
    }
}

Table contactTable() { return Table({"id", "name", "mobile", "telephone", "company", "birthday"}); }

void addRow(Table& table, const Dmg::CFriend& contact) {
    table.add({value(contact, "ID"), value(contact, "名字"), value(contact, "手机"),
               value(contact, "电话"), value(contact, "公司"), value(contact, "生日")});
}

void check(int result, const std::string& what) {
    if (result == 0) throw Failure(what);
}

std::vector<int> groupsOrDefault(const std::vector<int>& groups) {
    return groups.empty() ? std::vector<int>{1} : groups;
}

}  // namespace contacts

void addContactsCommand(CLI::App& app, Client& client) {
    using namespace contacts;
    CLI::App* cmd = app.add_subcommand("contacts", "the address book: contacts and groups");
    cmd->require_subcommand(1);

    auto addArgs = std::make_shared<AddArgs>();
    CLI::App* addCmd = cmd->add_subcommand("add", "add a contact and print its id");
    addCmd->add_option("--name", addArgs->name, "the contact's name")->required();
    addCmd->add_option("--mobile", addArgs->mobile, "the mobile number")->required();
    addCmd
        ->add_option("--group", addArgs->groups, "a group to file it under (repeatable; default 1)")
        ->check(CLI::PositiveNumber);
    addCmd->add_option("--set", addArgs->settings,
                       u8"another property as LABEL=VALUE, e.g. 电话=010-1234 (repeatable)");
    addCmd->callback([&client, addArgs] { add(client, *addArgs); });

    auto listArgs = std::make_shared<ListArgs>();
    CLI::App* listCmd = cmd->add_subcommand("list", "list one page of a group's contacts");
    listCmd->add_option("--group", listArgs->group, "the group (default 1)")
        ->check(CLI::PositiveNumber);
    listCmd->add_option("--page", listArgs->page, "the page, counted from 0")
        ->check(CLI::Range(0, 1000000000));
    listCmd->add_option("--page-size", listArgs->pageSize, "contacts per page (default 20)")
        ->check(CLI::Range(1, 1000000));
    listCmd->callback([&client, listArgs] { list(client, *listArgs); });

    auto label = std::make_shared<std::string>(), text = std::make_shared<std::string>();
    CLI::App* searchCmd = cmd->add_subcommand("search", "find contacts by one property");
    searchCmd->add_option("label", *label, u8"the property, e.g. 名字, 手机, 生日")->required();
    searchCmd->add_option("value", *text, "what to look for")->required();
    searchCmd->callback([&client, label, text] { search(client, *label, *text); });

    auto id = std::make_shared<int>(0);
    CLI::App* showCmd = cmd->add_subcommand("show", "show every property of a contact");
    showCmd->add_option("id", *id, "the contact's id")->required()->check(CLI::PositiveNumber);
    showCmd->callback([&client, id] { show(client, *id); });

    auto settings = std::make_shared<std::vector<std::string>>();
    CLI::App* modifyCmd = cmd->add_subcommand("modify", "change properties of a contact");
    modifyCmd->add_option("id", *id, "the contact's id")->required()->check(CLI::PositiveNumber);
    modifyCmd->add_option("--set", *settings, "a property as LABEL=VALUE (repeatable)")->required();
    modifyCmd->callback([&client, id, settings] { modify(client, *id, *settings); });

    auto ids = std::make_shared<std::vector<int>>();
    CLI::App* deleteCmd = cmd->add_subcommand("delete", "delete contacts by id");
    deleteCmd->add_option("ids", *ids, "the contacts' ids")->required()->check(CLI::PositiveNumber);
    deleteCmd->callback([&client, ids] { remove(client, *ids); });

    addFileCommands(*cmd, client);
    addGroupCommands(*cmd, client);
}

}  // namespace smsctl
