// Reads the whole history for the history window. A large history is read in
// two halves at once, the upper one on a second connection in a helper
// thread: decrypting a million rows and building their records then takes
// well under half the time it takes on one thread.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "components/data/engine/Connection.h"
#include "contracts/dmg/CHistoryMsg.h"
#include "contracts/export.h"

namespace Dmg::historyread {

// Appends every row of the history in `connection` (the file at `path`) by
// number; nothing is appended when a read fails. Rows the log thread adds
// meanwhile may be included, each once.
bool allByNumber(engine::Connection& connection, const std::string& path,
                 const std::string& password, std::vector<CHistoryMsg>& out);

// Called by the helper thread before it reads the upper half, so that a test
// can change the history between the two halves' reads. Set by a test before
// a read and cleared after it.
DMG_API void setUpperHalfHook(std::function<void()> hook);

}  // namespace Dmg::historyread
