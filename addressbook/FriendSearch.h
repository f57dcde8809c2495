// The search labels of the address book ("名字", "手机", ...) mapped to the
// store's columns and value types.
#pragma once

#include <string>
#include <vector>

#include "contracts/dmg/CFriend.h"
#include "contracts/dmg/CLocalDataSerialize.h"

namespace SMS::addressbook {

// Converts `value` as the label's column needs and runs the store's search
// into `out`. 0 for a label not in the table, with nothing searched.
int searchByLabel(Dmg::CLocalDataSerialize& store, const std::string& label,
                  const std::string& value, std::vector<Dmg::CFriend>& out);

}  // namespace SMS::addressbook
