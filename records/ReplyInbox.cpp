#include "records/ReplyInbox.h"

#include <cstdio>
#include <string>
#include <vector>

#include "addressbook/MainStore.h"
#include "contracts/base/CLog.h"

namespace SMS::records {
namespace {

// Requests of one call are bounded: a batch of the service's largest size,
// a few batches.
constexpr int kBatch = 500;
constexpr int kMaxBatches = 100;

bool store(Dmg::CLocalDataSerialize* store, const std::string& phone, const std::string& text,
           const Dmg::CSmsData& time) {
    Dmg::ReplyData reply;
    reply.phone = phone;
    reply.text = text;
    reply.time = time;
    int id = 0;
    return store != nullptr && store->addReplyData(reply, id) == 1;
}

// "2026-12-07 09:30:00" to the minute; unset when it does not read, so the
// store stamps the local time.
Dmg::CSmsData timeOf(const std::string& text) {
    Dmg::CSmsData t;
    int y = 0, mo = 0, d = 0, h = 0, mi = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d", &y, &mo, &d, &h, &mi) == 5) {
        t = Dmg::CSmsData(y, mo, d, h, mi);
    }
    return t;
}

void logLine(const std::string& text) { Base::CLog::getSingleton().writeMessage(text, 2); }

}  // namespace

int storeReplies(NET::CEmbeddedGateway& gateway) {
    const std::vector<NET::CEmbeddedGateway::IncomingReply> taken = gateway.takeReplies();
    Dmg::CLocalDataSerialize* const main = addressbook::mainStore();
    int stored = 0;
    for (const auto& in : taken) {
        if (store(main, in.phone, in.text, in.time)) {
            ++stored;
        } else {
            gateway.injectReply(in.phone, in.text, in.time);
        }
    }
    return stored;
}

int storeReplies(NET::HttpGateway& gateway, std::int64_t& lastStored) {
    Dmg::CLocalDataSerialize* const main = addressbook::mainStore();
    int stored = 0;
    for (int batch = 0; batch < kMaxBatches; ++batch) {
        std::vector<NET::HttpGateway::Reply> replies;
        const NET::CNetSendResultB fetched = gateway.fetchReplies(kBatch, replies);
        if (fetched.code != 0) {
            logLine("回复获取失败：" + fetched.errorText);
            return batch == 0 ? -1 : stored;
        }
        bool refused = false;
        std::int64_t upTo = 0;  // the last reply of the batch that is stored
        for (const auto& r : replies) {
            if (r.id > lastStored) {
                if (!store(main, r.phone, r.text, timeOf(r.time))) {
                    logLine("回复未能保存（" + r.phone + "），留待下次获取");
                    refused = true;
                    break;
                }
                lastStored = r.id, ++stored;
            }
            upTo = r.id;
        }
        if (upTo > 0) {
            const NET::CNetSendResultB acked = gateway.ackReplies(upTo);
            if (acked.code != 0) {
                logLine("回复确认失败：" + acked.errorText);
                return stored;
            }
        }
        if (refused || replies.size() < static_cast<std::size_t>(kBatch)) return stored;
    }
    return stored;
}

}  // namespace SMS::records
