#include "records/ReplyInbox.h"

#include <vector>

#include "addressbook/MainStore.h"

namespace SMS::records {

int storeReplies(NET::CEmbeddedGateway& gateway) {
    const std::vector<NET::CEmbeddedGateway::IncomingReply> taken = gateway.takeReplies();
    Dmg::CLocalDataSerialize* const store = addressbook::mainStore();
    int stored = 0;
    for (const auto& in : taken) {
        Dmg::ReplyData reply;
        reply.phone = in.phone;
        reply.text = in.text;
        reply.time = in.time;
        int id = 0;
        if (store != nullptr && store->addReplyData(reply, id) == 1) {
            ++stored;
        } else {
            gateway.injectReply(in.phone, in.text, in.time);
        }
    }
    return stored;
}

}  // namespace SMS::records
