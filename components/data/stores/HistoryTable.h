// The history table of HLog.dll, shared by the log mover (which fills it) and
// the history store (which lists and deletes).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "components/data/engine/Connection.h"
#include "components/data/engine/Statement.h"
#include "contracts/dmg/CHistoryMsg.h"
#include "contracts/dmg/CSmsData.h"
#include "contracts/dmg/QueueData.h"

namespace Dmg::historytable {

const engine::Schema& schema();

// Adds the history row of a finished packet unless the row keyed by
// (origin, record id) is already there; run inside a write transaction.
class Writer {
public:
    Writer(engine::Connection& connection, std::string origin);
    // `time` is the row's time; the texts and the flag come from `packet`.
    bool add(const QueueData& packet, const CSmsData& time);

private:
    engine::Statement statement_;
    std::string origin_;
};

// Tells whether the row of (origin, record id) is committed.
class Lookup {
public:
    Lookup(engine::Connection& connection, std::string origin);
    bool has(std::int32_t recordId, bool& found);

private:
    engine::Statement statement_;
    std::string origin_;
};

// A time range, inclusive at both ends; an unset CSmsData leaves its side open.
struct Range {
    CSmsData from;
    CSmsData to;
};

enum class Outcome { Any, Succeeded, Failed };

// Appends the rows in `range` with the given outcome, oldest first (by time,
// then record number). Nothing is appended when the read fails.
bool selectTimes(engine::Connection& connection, const Range& range, Outcome outcome,
                 std::vector<CHistoryMsg>& out);

// Appends the rows numbered first..last inclusive, by number.
bool selectNumbers(engine::Connection& connection, std::int64_t first, std::int64_t last,
                   std::vector<CHistoryMsg>& out);

// The lowest and highest row numbers; last < first when there are no rows.
bool numberSpan(engine::Connection& connection, std::int64_t& first, std::int64_t& last);

// Deletes row `number`; `found` tells whether there was one.
bool remove(engine::Connection& connection, std::int64_t number, bool& found);

}  // namespace Dmg::historytable
