#include "tools/smsctl/TimeAndCarrier.h"

#include <string>

#include "phone/CPhoneNumMag.h"
#include "tools/smsctl/Errors.h"

namespace smsctl {
namespace {

bool leapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysIn(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leapYear(year) ? 29 : days[month - 1];
}

// Whether `text` is exactly "YYYY-MM-DD" (`withTime` false) or
// "YYYY-MM-DD HH:MM", digits where the pattern has letters; fills the fields.
bool shaped(const std::string& text, bool withTime, int& y, int& mo, int& d, int& h, int& mi) {
    const std::string pattern = withTime ? "dddd-dd-dd dd:dd" : "dddd-dd-dd";
    if (text.size() != pattern.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (pattern[i] == 'd' ? !digit : text[i] != pattern[i]) return false;
    }
    const auto number = [&text](std::size_t at, std::size_t n) {
        return std::stoi(text.substr(at, n));
    };
    y = number(0, 4), mo = number(5, 2), d = number(8, 2);
    if (withTime) h = number(11, 2), mi = number(14, 2);
    return true;
}

}  // namespace

Dmg::CSmsData parseTime(const std::string& text, const std::string& what, BareDate bare) {
    if (text.empty()) return {};
    int y = 0, mo = 0, d = 0, h = 0, mi = 0;
    bool ok = shaped(text, true, y, mo, d, h, mi);
    if (!ok && bare != BareDate::kRefused && shaped(text, false, y, mo, d, h, mi)) {
        ok = true;
        h = bare == BareDate::kEndOfDay ? 23 : 0;
        mi = bare == BareDate::kEndOfDay ? 59 : 0;
    }
    if (!ok || y < 1900 || mo < 1 || mo > 12 || d < 1 || d > daysIn(y, mo) || h < 0 || h > 23 ||
        mi < 0 || mi > 59) {
        throw UsageError(what + u8": '" + text + u8"' is not a time like \"2026-12-24 18:30\"" +
                         (bare == BareDate::kRefused ? "" : u8" or a date like 2026-12-24"));
    }
    return Dmg::CSmsData(y, mo, d, h, mi);
}

std::string carrierCode(const std::string& number) {
    const SMS::CPhoneNumMag& mag = *SMS::CPhoneNumMag::inistance();
    if (mag.isYDNumber(number)) return "YD";
    if (mag.isLTNumber(number)) return "LT";
    if (mag.isDXNumber(number)) return "DX";
    if (mag.isXLTNumber(number)) return "XLT";
    return std::string();
}

std::string carrierName(const std::string& code) {
    if (code == "YD") return u8"China Mobile (YD)";
    if (code == "LT") return u8"China Unicom (LT)";
    if (code == "DX") return u8"China Telecom (DX)";
    if (code == "XLT") return u8"area-code number (XLT)";
    return u8"not a sendable number";
}

}  // namespace smsctl
