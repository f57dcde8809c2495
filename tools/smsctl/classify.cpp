// smsctl classify: the carrier class of each number, as the sender sees it.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "contracts/platform/CodePage.h"
#include "tools/smsctl/TimeAndCarrier.h"
#include "tools/smsctl/commands.h"

namespace smsctl {
namespace {

void classifyOne(const std::string& terminalText) {
    std::string gbk;
    // Text that is not UTF-8 is classified as the bytes it is.
    if (!Platform::utf8ToGbk(terminalText, gbk)) gbk = terminalText;
    std::cout << terminalText << '\t' << carrierName(carrierCode(gbk)) << '\n';
}

}  // namespace

void addClassifyCommand(CLI::App& app, Client& client) {
    auto numbers = std::make_shared<std::vector<std::string>>();
    CLI::App* cmd = app.add_subcommand("classify", u8"print the carrier of each number");
    cmd->add_option("numbers", *numbers, u8"numbers; read one per line from stdin when none");
    cmd->callback([numbers, &client] {
        // The prefix lists come from the user's configuration store.
        warnIfDefaultPrefixes(client);
        if (!numbers->empty()) {
            for (const auto& n : *numbers) classifyOne(n);
            return;
        }
        std::string line;
        while (std::getline(std::cin, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            classifyOne(line);
        }
    });
}

}  // namespace smsctl
