// Pieces the address-book commands share: contact properties named by the
// user's labels, the contact table, group options.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "contracts/dmg/CFriend.h"
#include "tools/smsctl/Table.h"

namespace smsctl {

class Client;

namespace contacts {

// The contact property (GBK) a label names: a field label of the address book
// ("姓名", "号码") or a property name ("名字", "手机"); empty when neither.
std::string propertyOf(const std::string& gbkLabel);
// Sets each "LABEL=VALUE" (UTF-8) on `contact`; throws UsageError.
void applySettings(Dmg::CFriend& contact, const std::vector<std::string>& settings);
// The columns the lists show, and one contact as a row of them.
Table contactTable();
void addRow(Table& table, const Dmg::CFriend& contact);
// Throws Failure with `what` when a library call answered 0.
void check(int result, const std::string& what);
// Group 1 when the user named none.
std::vector<int> groupsOrDefault(const std::vector<int>& groups);

// contacts import, export, upload and groups ...
void addFileCommands(CLI::App& contacts, Client& client);
void addGroupCommands(CLI::App& contacts, Client& client);

}  // namespace contacts
}  // namespace smsctl
