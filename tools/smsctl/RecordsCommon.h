// Pieces shared by the record commands (history, send log, replies, timed
// messages): paging options, counts, record numbers.
#pragma once

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "contracts/dmg/CSmsData.h"
#include "tools/smsctl/Errors.h"
#include "tools/smsctl/Terminal.h"
#include "tools/smsctl/TimeAndCarrier.h"

namespace smsctl {
class Client;
}

namespace smsctl::records {

// replies and timers (records_replies.cpp).
void addReplyCommands(CLI::App& app, Client& client);

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
