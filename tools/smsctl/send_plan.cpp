// Composing a send from the command line: recipients from the arguments, an
// address-book group and a CSV file; the text from the arguments or a phrase.
#include <cstdio>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "addressbook/CFriendMag.h"
#include "contracts/dmg/CFriend.h"
#include "contracts/dmg/CWord.h"
#include "contracts/fileserialize/CFileManager.h"
#include "library/CWordMag.h"
#include "tools/smsctl/Errors.h"
#include "tools/smsctl/SendPlan.h"
#include "tools/smsctl/System.h"
#include "tools/smsctl/Terminal.h"
#include "tools/smsctl/TimeAndCarrier.h"

namespace smsctl {
namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// Adds a recipient, noting a refusal with its reason.
void addNumber(Plan& plan, const std::string& gbk, const Dmg::CFriend* contact) {
    int id = 0;
    const int added = contact != nullptr ? plan.processor.addPhone(*contact, true, id)
                                         : plan.processor.addPhone(gbk, false, true, id);
    if (added == 1) {
        ++plan.recipients;
        return;
    }
    plan.refused.push_back({toUtf8(gbk), carrierCode(gbk).empty() ? u8"not a sendable number"
                                                                  : u8"given more than once"});
}

void addGroup(Plan& plan, int group) {
    SMS::CFriendMag friends;
    std::vector<Dmg::CFriend> contacts;
    if (friends.getGroupFriendNum(group) != 1 || friends.getAllFriend(contacts) != 1) {
        throw Failure(u8"cannot read the contacts of group " + std::to_string(group) +
                      u8" (see smsctl.log in the user directory)");
    }
    if (contacts.empty()) std::cerr << u8"smsctl: group " << group << u8" has no contacts\n";
    for (const Dmg::CFriend& contact : contacts) {
        std::string mobile;
        contact.getValue("手机", mobile);
        addNumber(plan, trimmed(mobile), &contact);
    }
}

void addCsv(Plan& plan, const std::string& path, int column) {
    std::map<int, std::vector<std::string>> rows;
    if (FileSerialize::CFileManager::getSingleton().importFromFile(libraryPath(path, "--csv"),
                                                                   rows) != 1) {
        throw Failure(u8"cannot read the CSV file " + path +
                      u8" (missing, unreadable, or not CSV text)");
    }
    for (const auto& row : rows) {
        const auto& cells = row.second;
        const std::string cell =
            static_cast<int>(cells.size()) >= column ? trimmed(cells[column - 1]) : std::string();
        if (!cell.empty()) addNumber(plan, cell, nullptr);
    }
}

std::string phraseText(int id) {
    SMS::CWordMag words;
    Dmg::CWord word;
    if (words.getWordInfo(id, word) != 1 || word.getWordStrut().content.empty()) {
        throw Failure(u8"there is no phrase " + std::to_string(id));
    }
    return word.getWordStrut().content;
}

}  // namespace

void checkSendArgs(const SendArgs& args) {
    if (args.numbers.empty() && args.group < 0 && args.csv.empty()) {
        throw UsageError(u8"send: give numbers, --group or --csv");
    }
    if (args.text.empty() == (args.phrase < 0)) {
        throw UsageError(u8"send: give either --text or --phrase");
    }
    parseTime(args.at, "--at", BareDate::kRefused);
}

void composePlan(const SendArgs& args, bool withUserData, Plan& plan) {
    if (!withUserData && (args.group >= 0 || args.phrase >= 0)) {
        throw Failure(u8"there are no user data yet, so no group or phrase to read");
    }
    for (const auto& n : args.numbers) addNumber(plan, trimmed(toGbk(n, u8"a number")), nullptr);
    if (args.group >= 0) addGroup(plan, args.group);
    if (!args.csv.empty()) addCsv(plan, args.csv, args.column);

    plan.processor.setSendMsg(args.phrase >= 0 ? phraseText(args.phrase)
                                               : toGbk(args.text, u8"--text"));
    if (!args.signature.empty())
        plan.processor.setCompanyEnder(toGbk(args.signature, u8"--signature"));
    plan.processor.setPersonalSms(args.personal);
    if (!args.at.empty()) plan.processor.setTimer(parseTime(args.at, "--at", BareDate::kRefused));
}

void reportRefused(const Plan& plan) {
    for (const Refusal& r : plan.refused) {
        std::cerr << u8"smsctl: refused " << r.number << ": " << r.reason << '\n';
    }
}

}  // namespace smsctl
