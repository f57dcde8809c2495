// The user's contact field choices: which of the 19 fields the contact list
// shows, and which may stand as placeholders in personalised messages. Both
// runs use the order name, number, then the other 17 fields.
#pragma once

#include "contracts/export.h"

namespace Dmg {

class DMG_API CFriendSetMsg {
public:
    static constexpr int kFieldCount = 19;

    // Name and number are shown and personal by default.
    CFriendSetMsg();

    bool showFlags[kFieldCount];
    bool personalFlags[kFieldCount];
};

}  // namespace Dmg
