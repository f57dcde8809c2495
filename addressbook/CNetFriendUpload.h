// Uploads the address book to the SMS service: contacts not yet uploaded, 50
// at a time, each handed to the network library and then marked as uploaded
// in the main database, which it opens under a store name of its own
// ("database1").
#pragma once

#include <vector>

#include "contracts/dmg/CFriend.h"
#include "contracts/export.h"

namespace SMS {

class SMS_API CNetFriendUpload {
public:
    // Runs the whole upload on the caller's thread; returns when no contact
    // is left, or when a whole batch could not be marked (logged), since the
    // same batch would otherwise come back for ever.
    void Upload();

protected:
    // Replaces `batch` with the next contacts to upload; true when any.
    bool loadFriendInfo(std::vector<Dmg::CFriend>& batch);
    // Marks one contact as uploaded.
    void ModifyStatus(const int& contactId);
};

}  // namespace SMS
