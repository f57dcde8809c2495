// Pieces the content-library commands share: paging options, result checks
// and the group-tree subcommands of phrases and reminders (both managers
// offer the same group calls).
#pragma once

#include <CLI/CLI.hpp>
#include <algorithm>
#include <iostream>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "tools/smsctl/Client.h"
#include "tools/smsctl/Errors.h"
#include "tools/smsctl/Table.h"
#include "tools/smsctl/Terminal.h"

namespace smsctl {

// Ranges of int, so that CLI11 names the limits plainly.
inline CLI::Range nonNegative() { return CLI::Range(0, std::numeric_limits<int>::max()); }
inline CLI::Range positive() { return CLI::Range(1, std::numeric_limits<int>::max()); }

struct Paging {
    int page = 0;
    int size = 20;
};

inline void addPagingOptions(CLI::App* cmd, Paging& paging) {
    cmd->add_option("--page", paging.page, u8"page to show, from 0")
        ->check(nonNegative())
        ->capture_default_str();
    cmd->add_option("--page-size", paging.size, u8"records per page")
        ->check(positive())
        ->capture_default_str();
}

// A library answer of 0 becomes a Failure saying what failed.
inline void require(int result, const std::string& what) {
    if (result == 0) throw Failure(what + u8" (see smsctl.log in the user directory)");
}

inline std::string plural(std::size_t n, const std::string& noun) {
    return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

// Record numbers once each, so that one given twice is not deleted twice.
inline void dedupe(std::vector<int>& ids) {
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
}

// `groups` list|add|rename|delete for a manager with the group-tree calls.
template <typename Mag, typename Group>
void addGroupCommands(CLI::App* parent, Client& client, const std::string& noun) {
    CLI::App* groups = parent->add_subcommand("groups", u8"the " + noun + u8" group tree");
    groups->require_subcommand(1);

    CLI::App* list = groups->add_subcommand("list", u8"list the groups, parents before children");
    list->callback([&client, noun] {
        client.start();
        Mag mag;
        Table table({"id", "parent", "name"});
        // Depth first from the roots (parent 0).
        std::vector<Group> stack;
        require(mag.getRootGroup(stack), u8"cannot read the " + noun + u8" groups");
        std::reverse(stack.begin(), stack.end());
        while (!stack.empty()) {
            const Group g = stack.back();
            stack.pop_back();
            table.add({std::to_string(g.id), std::to_string(g.parentId), toUtf8(g.name)});
            std::vector<Group> children;
            require(mag.getSubGroup(g.id, children), u8"cannot read the " + noun + u8" groups");
            stack.insert(stack.end(), children.rbegin(), children.rend());
        }
        table.print(std::cout, client.options().json);
    });

    auto name = std::make_shared<std::string>();
    auto parentId = std::make_shared<int>(0);
    CLI::App* add = groups->add_subcommand("add", u8"add a group");
    add->add_option("name", *name, u8"name of the new group")->required();
    add->add_option("--parent", *parentId, u8"parent group (default: a new root group)")
        ->check(positive());
    add->callback([&client, noun, name, parentId] {
        const std::string gbk = toGbk(*name, "name");
        client.start();
        Mag mag;
        int id = 0;
        require(*parentId == 0 ? mag.addRootGroup(gbk, id) : mag.addSubGroup(*parentId, gbk, id),
                u8"cannot add the " + noun + u8" group");
        std::cout << u8"added group " << id << '\n';
    });

    auto id = std::make_shared<int>(0);
    CLI::App* rename = groups->add_subcommand("rename", u8"rename a group");
    rename->add_option("id", *id, u8"the group")->required()->check(positive());
    rename->add_option("name", *name, u8"its new name")->required();
    rename->callback([&client, noun, id, name] {
        const std::string gbk = toGbk(*name, "name");
        client.start();
        require(Mag().renameGroup(*id, gbk),
                u8"cannot rename " + noun + u8" group " + std::to_string(*id));
        std::cout << u8"renamed group " << *id << '\n';
    });

    CLI::App* del = groups->add_subcommand(
        "delete", u8"delete a group with its subgroups and every " + noun + u8" in them");
    del->add_option("id", *id, u8"the group (group 1 cannot be deleted)")
        ->required()
        ->check(positive());
    del->callback([&client, noun, id] {
        if (*id == 1) throw UsageError(u8"group 1 always exists and cannot be deleted");
        client.start();
        require(Mag().delGroup(*id), u8"cannot delete " + noun + u8" group " + std::to_string(*id));
        std::cout << u8"deleted group " << *id << '\n';
    });
}

}  // namespace smsctl
