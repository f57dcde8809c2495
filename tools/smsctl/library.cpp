// `smsctl phrases` (the phrase library) and `smsctl saved` (saved message
// texts), through SMS::CWordMag and SMS::CSaveMsgMag as a user interface
// drives them: load a group or a search into the manager's list, then page.
#include <algorithm>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "contracts/fileserialize/CFileManager.h"
#include "library/CSaveMsgMag.h"
#include "library/CWordMag.h"
#include "tools/smsctl/LibraryCommon.h"
#include "tools/smsctl/System.h"
#include "tools/smsctl/commands.h"

namespace smsctl {
namespace {

// The manager's whole cached list, read through its pages.
std::vector<Dmg::CWord> cachedWords(SMS::CWordMag& mag) {
    std::vector<Dmg::CWord> words;
    const int count = mag.getCurWordNum();
    mag.init(count > 0 ? count : 1);
    mag.getWord(0, 0, words);
    return words;
}

void printWords(const std::vector<Dmg::CWord>& words, bool json) {
    Table table({"id", "group", "added", "text"});
    for (const Dmg::CWord& w : words) {
        const Dmg::CWord::WordData& d = w.getWordStrut();
        table.add({std::to_string(d.id), std::to_string(d.groupId), d.addTime.getString(),
                   toUtf8(d.content)});
    }
    table.print(std::cout, json);
}

struct PhraseArgs {
    Paging paging;
    int group = 1;
    std::vector<int> groups;
    std::vector<int> ids;
    std::string text, groupKey, file;
};

void addPhraseListing(CLI::App* cmd, Client& client, const std::shared_ptr<PhraseArgs>& a) {
    CLI::App* list = cmd->add_subcommand("list", u8"list the phrases of a group, a page at a time");
    list->add_option("--group", a->group, u8"the group")->check(positive())->capture_default_str();
    addPagingOptions(list, a->paging);
    list->callback([&client, a] {
        client.start();
        SMS::CWordMag mag;
        require(mag.getGroupWordNum(a->group), u8"cannot read the phrases");
        mag.init(a->paging.size);
        std::vector<Dmg::CWord> page;
        mag.getWord(0, a->paging.page, page);  // 0 for a page past the end: none to show
        printWords(page, client.options().json);
    });

    CLI::App* search = cmd->add_subcommand("search", u8"find phrases whose text holds TEXT");
    search->add_option("text", a->text, u8"part of the text (empty: every phrase)")->required();
    search->add_option("--group-name", a->groupKey, u8"and whose group name holds this");
    addPagingOptions(search, a->paging);
    search->callback([&client, a] {
        const std::string key1 = toGbk(a->text, "text"), key2 = toGbk(a->groupKey, "--group-name");
        client.start();
        SMS::CWordMag mag;
        require(mag.selectWordNum(key1, key2), u8"cannot search the phrases");
        mag.init(a->paging.size);
        std::vector<Dmg::CWord> page;
        mag.getWord(0, a->paging.page, page);
        printWords(page, client.options().json);
    });
}

void addPhraseChanges(CLI::App* cmd, Client& client, const std::shared_ptr<PhraseArgs>& a) {
    CLI::App* add = cmd->add_subcommand("add", u8"add a phrase");
    add->add_option("text", a->text, u8"the phrase")->required();
    add->add_option("--group", a->groups, u8"group to add it to; repeat for several (default 1)")
        ->check(positive());
    add->callback([&client, a] {
        Dmg::CWord word;
        word.getWordStrut().content = toGbk(a->text, "text");
        client.start();
        std::vector<int> ids;
        // The store answers 2 for a phrase added; 1 or 0 stops the loop.
        if (SMS::CWordMag().addWord(word, a->groups, ids) <= 1) {
            require(0, u8"cannot add the phrase (is the group there?)");
        }
        for (const int id : ids) std::cout << u8"added phrase " << id << '\n';
    });

    CLI::App* del = cmd->add_subcommand("delete", u8"delete phrases by number");
    del->add_option("ids", a->ids, u8"phrase numbers (the id column)")
        ->required()
        ->check(positive());
    del->callback([&client, a] {
        dedupe(a->ids);
        client.start();
        SMS::CWordMag mag;
        // All or none: every number is checked before the first deletion.
        for (const int id : a->ids) {
            Dmg::CWord word;
            if (mag.getWordInfo(id, word) == 0) throw Failure(u8"no phrase " + std::to_string(id));
        }
        for (const int id : a->ids) {
            require(mag.delWord(id), u8"cannot delete phrase " + std::to_string(id));
        }
        std::cout << u8"deleted " << plural(a->ids.size(), u8"phrase") << '\n';
    });

    CLI::App* importCmd = cmd->add_subcommand("import", u8"add one phrase per row of a CSV file");
    importCmd->add_option("file", a->file, u8"CSV file (GBK or UTF-8)")->required();
    importCmd->add_option("--group", a->groups, u8"group to add them to; repeat for several")
        ->check(positive());
    importCmd->callback([&client, a] {
        client.start();
        std::map<int, std::vector<std::string>> rows;
        require(FileSerialize::CFileManager::getSingleton().importFromFile(
                    libraryPath(a->file, "file"), rows),
                u8"cannot read " + a->file);
        require(SMS::CWordMag().importWord(rows, a->groups),
                u8"the import was refused, nothing was added (is the group there?)");
        std::cout << u8"imported " << plural(rows.size(), u8"phrase") << '\n';
    });

    CLI::App* exp = cmd->add_subcommand("export", u8"write a group's phrases to a CSV file");
    exp->add_option("file", a->file, u8"CSV file to write (text, time added)")->required();
    exp->add_option("--group", a->group, u8"the group")->check(positive())->capture_default_str();
    exp->callback([&client, a] {
        client.start();
        SMS::CWordMag mag;
        require(mag.getGroupWordNum(a->group), u8"cannot read the phrases");
        const std::vector<Dmg::CWord> words = cachedWords(mag);
        require(mag.exportWord(libraryPath(a->file, "file"), words), u8"cannot write " + a->file);
        std::cout << u8"exported " << plural(words.size(), u8"phrase") << '\n';
    });
}

void printSaved(const std::vector<Dmg::CSaveMsg>& msgs, bool json) {
    Table table({"id", "saved", "text"});
    for (const Dmg::CSaveMsg& m : msgs) {
        table.add({std::to_string(m.number), m.time.getString(), toUtf8(m.text)});
    }
    table.print(std::cout, json);
}

struct SavedArgs {
    Paging paging;
    std::vector<int> ids;
    std::string text, file;
};

void addSavedListing(CLI::App* cmd, Client& client, const std::shared_ptr<SavedArgs>& a) {
    const auto show = [&client, a](SMS::CSaveMsgMag& mag) {
        std::vector<Dmg::CSaveMsg> page;
        mag.getSaveMsg(a->paging.page, a->paging.size, page);  // 0: nothing saved
        printSaved(page, client.options().json);
    };
    CLI::App* list = cmd->add_subcommand("list", u8"list the saved messages, a page at a time");
    addPagingOptions(list, a->paging);
    list->callback([&client, show] {
        client.start();
        SMS::CSaveMsgMag mag;
        require(mag.readAllSaveMsg(), u8"cannot read the saved messages");
        show(mag);
    });

    CLI::App* search = cmd->add_subcommand("search", u8"find saved messages holding TEXT");
    search->add_option("text", a->text, u8"part of the text")->required();
    addPagingOptions(search, a->paging);
    search->callback([&client, a, show] {
        const std::string key = toGbk(a->text, "text");
        client.start();
        SMS::CSaveMsgMag mag;
        require(mag.selectSaveMsg(key), u8"cannot search the saved messages");
        show(mag);
    });
}

void addSavedChanges(CLI::App* cmd, Client& client, const std::shared_ptr<SavedArgs>& a) {
    CLI::App* add = cmd->add_subcommand("add", u8"save a message text");
    add->add_option("text", a->text, u8"the text")->required();
    add->callback([&client, a] {
        const std::string text = toGbk(a->text, "text");
        client.start();
        require(SMS::CSaveMsgMag().saveMsg(text), u8"cannot save the message");
        std::cout << u8"saved the message\n";
    });

    CLI::App* del = cmd->add_subcommand("delete", u8"delete saved messages by number");
    del->add_option("ids", a->ids, u8"message numbers (the id column)")
        ->required()
        ->check(positive());
    del->callback([&client, a] {
        dedupe(a->ids);
        client.start();
        SMS::CSaveMsgMag mag;
        require(mag.readAllSaveMsg(), u8"cannot read the saved messages");
        std::vector<Dmg::CSaveMsg> all;
        mag.getSaveMsg(0, mag.getMsgNum(), all);
        for (const int id : a->ids) {  // all or none
            const auto has = [id](const Dmg::CSaveMsg& m) { return m.number == id; };
            if (std::none_of(all.begin(), all.end(), has)) {
                throw Failure(u8"no saved message " + std::to_string(id));
            }
        }
        for (const int id : a->ids) {
            require(mag.delSaveMsg(id), u8"cannot delete saved message " + std::to_string(id));
        }
        std::cout << u8"deleted " << plural(a->ids.size(), u8"saved message") << '\n';
    });

    CLI::App* exp = cmd->add_subcommand("export", u8"write the saved messages to a CSV file");
    exp->add_option("file", a->file, u8"CSV file to write (text, time saved)")->required();
    exp->add_option("--search", a->text, u8"only those holding this text");
    exp->callback([&client, a] {
        const std::string key = toGbk(a->text, "--search");
        client.start();
        SMS::CSaveMsgMag mag;
        require(mag.selectSaveMsg(key), u8"cannot read the saved messages");
        require(mag.exportAll(libraryPath(a->file, "file")), u8"cannot write " + a->file);
        std::cout << u8"exported " << plural(mag.getMsgNum(), u8"saved message") << '\n';
    });
}

}  // namespace

void addPhrasesCommand(CLI::App& app, Client& client) {
    CLI::App* cmd = app.add_subcommand("phrases", u8"the phrase library");
    cmd->require_subcommand(1);
    const auto args = std::make_shared<PhraseArgs>();
    addPhraseListing(cmd, client, args);
    addPhraseChanges(cmd, client, args);
    addGroupCommands<SMS::CWordMag, Dmg::CWordGroup>(cmd, client, u8"phrase");
}

void addSavedCommand(CLI::App& app, Client& client) {
    CLI::App* cmd = app.add_subcommand("saved", u8"saved message texts");
    cmd->require_subcommand(1);
    const auto args = std::make_shared<SavedArgs>();
    addSavedListing(cmd, client, args);
    addSavedChanges(cmd, client, args);
}

}  // namespace smsctl
