// The received replies of the main store: each call forwards to ReplyTable.
#include <vector>

#include "components/data/TimeText.h"
#include "components/data/stores/HistoryTime.h"
#include "components/data/stores/LocalImpl.h"
#include "components/data/stores/ReplyTable.h"
#include "contracts/dmg/CLocalDataSerialize.h"

namespace Dmg {

int CLocalDataSerialize::addReplyData(ReplyData& reply, int& newId) {
    std::vector<ReplyData> one{reply};
    if (one.front().time.isUnset()) one.front().time = historytime::now();
    return impl_->with("addReplyData", [&](engine::Connection& db) {
        if (local::addRecords(db, local::replyTable(), one, {}) == 0) return 0;
        reply = one.front();
        newId = reply.number;
        return 1;
    });
}

int CLocalDataSerialize::getReplyDatas(std::vector<ReplyData>& out) {
    return select("", "", "", out);
}

int CLocalDataSerialize::select(const std::string& from, const std::string& to,
                                const std::string& key, std::vector<ReplyData>& out) {
    return impl_->with("select replies", [&](engine::Connection& db) {
        return local::selectReplies(db, parseTimeText(from), parseTimeText(to), key, out);
    });
}

int CLocalDataSerialize::removeReplyData(const std::vector<int>& numbers) {
    return impl_->with("removeReplyData",
                       [&](engine::Connection& db) { return local::deleteReplies(db, numbers); });
}

}  // namespace Dmg
