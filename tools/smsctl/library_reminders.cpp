// `smsctl reminders`: the SMS reminders through SMS::CAlertInfoMag, as a user
// interface drives it: load a group or a search into the manager's list,
// then page. Reminders cannot be imported.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "library/CAlertInfoMag.h"
#include "tools/smsctl/LibraryCommon.h"
#include "tools/smsctl/Progress.h"
#include "tools/smsctl/System.h"
#include "tools/smsctl/commands.h"

namespace smsctl {
namespace {

struct ReminderArgs {
    Paging paging;
    int group = 1;
    std::vector<int> groups;
    std::vector<int> ids;
    std::string text, owner, phone, type, at, file;
};

void printReminders(const std::vector<Dmg::CAlertInfo>& infos, bool json) {
    Table table({"id", "group", "type", "name", "phone", "at", "added", "text"});
    for (const Dmg::CAlertInfo& info : infos) {
        const Dmg::CAlertInfo::AlertInfoData& d = info.getAlertInfoStrut();
        table.add({std::to_string(d.id), std::to_string(d.groupId), toUtf8(d.alertType),
                   toUtf8(d.ownerName), toUtf8(d.phoneNum), d.activeTime.getString(),
                   d.addTime.getString(), toUtf8(d.content)});
    }
    table.print(std::cout, json);
}

void showPage(SMS::CAlertInfoMag& mag, const Paging& paging, bool json) {
    mag.init(paging.size);
    std::vector<Dmg::CAlertInfo> page;
    mag.getAlertInfo(0, paging.page, page);  // 0 for a page past the end: none to show
    printReminders(page, json);
}

void addReminderListing(CLI::App* cmd, Client& client, const std::shared_ptr<ReminderArgs>& a) {
    CLI::App* list =
        cmd->add_subcommand("list", u8"list the reminders of a group, a page at a time");
    list->add_option("--group", a->group, u8"the group")->check(positive())->capture_default_str();
    addPagingOptions(list, a->paging);
    list->callback([&client, a] {
        client.start();
        SMS::CAlertInfoMag mag;
        require(mag.getGroupAlertInfoNum(a->group), u8"cannot read the reminders");
        showPage(mag, a->paging, client.options().json);
    });

    CLI::App* search = cmd->add_subcommand("search", u8"find reminders whose text holds TEXT");
    search->add_option("text", a->text, u8"part of the text (empty: every reminder)")->required();
    search->add_option("--owner", a->owner, u8"and whose owner's name or number holds this");
    addPagingOptions(search, a->paging);
    search->callback([&client, a] {
        const std::string key1 = toGbk(a->text, "text"), key2 = toGbk(a->owner, "--owner");
        client.start();
        SMS::CAlertInfoMag mag;
        require(mag.selectAlertInfoNum(key1, key2), u8"cannot search the reminders");
        showPage(mag, a->paging, client.options().json);
    });

    CLI::App* exp = cmd->add_subcommand("export", u8"write a group's reminders to a CSV file");
    exp->add_option("file", a->file, u8"CSV file to write, one row per reminder")->required();
    exp->add_option("--group", a->group, u8"the group")->check(positive())->capture_default_str();
    exp->callback([&client, a] {
        client.start();
        SMS::CAlertInfoMag mag;
        require(mag.getGroupAlertInfoNum(a->group), u8"cannot read the reminders");
        std::vector<Dmg::CAlertInfo> infos;
        mag.getAllInfoInVec(infos);
        require(mag.exportAlertInfo(libraryPath(a->file, "file"), infos),
                u8"cannot write " + a->file);
        std::cout << u8"exported " << plural(infos.size(), u8"reminder") << '\n';
    });
}

void addReminderChanges(CLI::App* cmd, Client& client, const std::shared_ptr<ReminderArgs>& a) {
    CLI::App* add = cmd->add_subcommand("add", u8"add a reminder");
    add->add_option("text", a->text, u8"the message text")->required();
    add->add_option("--at", a->at, u8"when it is due: YYYY-MM-DD HH:MM")->required();
    add->add_option("--name", a->owner, u8"whom it is for");
    add->add_option("--phone", a->phone, u8"the number it goes to");
    add->add_option("--type", a->type, u8"kind of reminder (birthday, meeting, ...)");
    add->add_option("--group", a->groups, u8"group to add it to; repeat for several (default 1)")
        ->check(positive());
    add->callback([&client, a] {
        Dmg::CAlertInfo info;
        info.addPropetyAndValue("内容", toGbk(a->text, "text"));
        info.addPropetyAndValue("激活时间", toGbk(a->at, "--at"));
        info.addPropetyAndValue("名字", toGbk(a->owner, "--name"));
        info.addPropetyAndValue("手机", toGbk(a->phone, "--phone"));
        info.addPropetyAndValue("提醒类型", toGbk(a->type, "--type"));
        if (info.getAlertInfoStrut().activeTime.year < 1) {
            throw UsageError(u8"--at: not a date and time: '" + a->at + "'");
        }
        client.start();
        std::vector<int> ids;
        // The store answers 2 for a reminder added; 1 or 0 stops the loop.
        if (SMS::CAlertInfoMag().addAlertInfo(info, a->groups, ids) <= 1) {
            require(0, u8"cannot add the reminder (is the group there?)");
        }
        for (const int id : ids) std::cout << u8"added reminder " << id << '\n';
    });

    CLI::App* del = cmd->add_subcommand("delete", u8"delete reminders by number");
    del->add_option("ids", a->ids, u8"reminder numbers (the id column)")
        ->required()
        ->check(positive());
    del->callback([&client, a] {
        dedupe(a->ids);
        client.start();
        SMS::CAlertInfoMag mag;
        // All or none: every number is checked before the first deletion.
        for (const int id : a->ids) {
            Dmg::CAlertInfo info;
            if (mag.getAlertInfoInfo(id, info) == 0) {
                throw Failure(u8"no reminder " + std::to_string(id));
            }
            mag.InsertAlertInfoInVec(mag.getCurAlertInfoNum(), id, info);
        }
        TerminalProgress progress;
        require(mag.delCurGroup(0, &progress), u8"cannot delete the reminders");
        progress.finish();
        if (progress.isCanceled() != 0) throw Failure(u8"interrupted; some reminders are left");
        std::cout << u8"deleted " << plural(a->ids.size(), u8"reminder") << '\n';
    });
}

}  // namespace

void addRemindersCommand(CLI::App& app, Client& client) {
    CLI::App* cmd = app.add_subcommand("reminders", u8"the SMS reminders");
    cmd->require_subcommand(1);
    const auto args = std::make_shared<ReminderArgs>();
    addReminderListing(cmd, client, args);
    addReminderChanges(cmd, client, args);
    addGroupCommands<SMS::CAlertInfoMag, Dmg::CAlertInfoGroup>(cmd, client, u8"reminder");
}

}  // namespace smsctl
