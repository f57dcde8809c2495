// The timed messages of the main store: each call forwards to TimerMsgTable.
#include <vector>

#include "components/data/stores/LocalImpl.h"
#include "components/data/stores/TimerMsgTable.h"
#include "contracts/dmg/CLocalDataSerialize.h"

namespace Dmg {

int CLocalDataSerialize::getAllTimerMsg(std::vector<CTimerMsg>& out) {
    return impl_->with("getAllTimerMsg",
                       [&](engine::Connection& db) { return local::selectTimerMsgs(db, "", out); });
}

int CLocalDataSerialize::selectTimerMsg(const std::string& field, const std::string& value,
                                        std::vector<CTimerMsg>& out) {
    if (field != "Content") {
        local::logFailure("selectTimerMsg: no field " + field);
        return 0;
    }
    return impl_->with("selectTimerMsg", [&](engine::Connection& db) {
        return local::selectTimerMsgs(db, value, out);
    });
}

int CLocalDataSerialize::deleteMsg(const int& id) {
    return impl_->with("deleteMsg", [&](engine::Connection& db) {
        return local::deleteRecord(db, local::timerMsgTable(), id);
    });
}

}  // namespace Dmg
