// The carriers' number prefixes on the main store: one row per prefix, keyed
// by carrier and position in its list.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "components/data/engine/Connection.h"

namespace Dmg::local {

// Stored values; never renumber.
enum class Carrier { Mobile = 0, Unicom = 1, Telecom = 2 };
using PrefixLists = std::array<std::vector<std::string>, 3>;

const engine::Schema& prefixSchema();

// Replaces `lists` with the stored lists; on failure `lists` is left alone.
bool loadPrefixes(engine::Connection& db, PrefixLists& lists);

// Replaces one carrier's stored list in one transaction.
bool storePrefixes(engine::Connection& db, Carrier carrier, const std::vector<std::string>& list);

}  // namespace Dmg::local
