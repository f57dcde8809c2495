// Pieces shared by the record commands (history, send log, replies, timed
// messages): times on the command line, paging options, record numbers.
#pragma once

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "contracts/dmg/CSmsData.h"
#include "tools/smsctl/Errors.h"
#include "tools/smsctl/Terminal.h"

namespace smsctl {
class Client;
}

namespace smsctl::records {

// replies and timers (records_replies.cpp).
void addReplyCommands(CLI::App& app, Client& client);

// "YYYY-MM-DD HH:MM", or "YYYY-MM-DD" for the start of that day (its last
// minute when `endOfDay`); empty gives an unset time (an open end).
inline Dmg::CSmsData parseTime(const std::string& text, const std::string& what,
                               bool endOfDay = false) {
    if (text.empty()) return {};
    int y = 0, mo = 0, d = 0, h = endOfDay ? 23 : 0, mi = endOfDay ? 59 : 0, used = 0;
    const bool dateOnly = std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &y, &mo, &d, &used) == 3 &&
                          used == static_cast<int>(text.size());
    const bool full =
        !dateOnly &&
        std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d%n", &y, &mo, &d, &h, &mi, &used) == 5 &&
        used == static_cast<int>(text.size());
    if ((!dateOnly && !full) || y < 1900 || mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 ||
        h > 23 || mi < 0 || mi > 59) {
        throw UsageError(what + u8": '" + text + u8"' is not a time like 2026-12-06 08:05");
    }
    return Dmg::CSmsData(y, mo, d, h, mi);
}

// "1 reply", "3 replies".
inline std::string counted(long long n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

inline std::string showTime(const Dmg::CSmsData& time) { return toUtf8(time.getString()); }

// --page N --page-size N: both or neither; without them everything is listed.
struct Paging {
    int page = -1, size = -1;
    void add(CLI::App* cmd) {
        auto* p = cmd->add_option("--page", page, u8"page to show, from 0")
                      ->check(CLI::NonNegativeNumber);
        auto* s =
            cmd->add_option("--page-size", size, u8"records per page")->check(CLI::PositiveNumber);
        p->needs(s);
        s->needs(p);
    }
    bool used() const { return page >= 0; }
};

// The records of `cache` whose number is listed; throws Failure naming the
// first number that is not there (so nothing is deleted by half a mistake).
template <class Record>
std::vector<Record> chosen(const std::vector<Record>& cache, const std::vector<int>& numbers,
                           const std::string& what) {
    std::vector<Record> out;
    for (const int n : numbers) {
        const auto it = std::find_if(cache.begin(), cache.end(),
                                     [n](const Record& r) { return r.number == n; });
        if (it == cache.end()) throw Failure(u8"no " + what + u8" numbered " + std::to_string(n));
        out.push_back(*it);
    }
    return out;
}

// --all or NUMBER...: exactly one of them.
inline void requireAllOrNumbers(bool all, const std::vector<int>& numbers) {
    if (all == numbers.empty()) return;
    throw UsageError(all ? u8"give either --all or record numbers, not both"
                         : u8"give --all or the record numbers to delete");
}

}  // namespace smsctl::records
