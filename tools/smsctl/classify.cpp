#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "contracts/platform/CodePage.h"
#include "phone/CPhoneNumMag.h"
#include "tools/smsctl/commands.h"

namespace smsctl {
namespace {

// The class name in the order callers ask: the first true answer wins.
const char* carrierOf(const SMS::CPhoneNumMag& mag, const std::string& number) {
    if (mag.isYDNumber(number)) return u8"China Mobile (YD)";
    if (mag.isLTNumber(number)) return u8"China Unicom (LT)";
    if (mag.isDXNumber(number)) return u8"China Telecom (DX)";
    if (mag.isXLTNumber(number)) return u8"area-code number (XLT)";
    return u8"not a sendable number";
}

void classifyOne(const SMS::CPhoneNumMag& mag, const std::string& terminalText) {
    std::string gbk;
    // Text that is not UTF-8 is classified as the bytes it is.
    if (!Platform::utf8ToGbk(terminalText, gbk)) gbk = terminalText;
    std::cout << terminalText << '\t' << carrierOf(mag, gbk) << '\n';
}

}  // namespace

void addClassifyCommand(CLI::App& app, Client& client) {
    auto numbers = std::make_shared<std::vector<std::string>>();
    CLI::App* cmd = app.add_subcommand("classify", u8"print the carrier of each number");
    cmd->add_option("numbers", *numbers, u8"numbers; read one per line from stdin when none");
    cmd->callback([numbers, &client] {
        // The prefix lists come from the user's configuration store.
        warnIfDefaultPrefixes(client);
        const SMS::CPhoneNumMag& mag = *SMS::CPhoneNumMag::inistance();
        if (!numbers->empty()) {
            for (const auto& n : *numbers) classifyOne(mag, n);
            return;
        }
        std::string line;
        while (std::getline(std::cin, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            classifyOne(mag, line);
        }
    });
}

}  // namespace smsctl
