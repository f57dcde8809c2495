// The saved messages of the main store: each call forwards to SaveMsgTable.
#include <vector>

#include "components/data/stores/HistoryTime.h"
#include "components/data/stores/LocalImpl.h"
#include "components/data/stores/SaveMsgTable.h"
#include "contracts/dmg/CLocalDataSerialize.h"

namespace Dmg {

int CLocalDataSerialize::saveMsg(const std::string& text) {
    std::vector<CSaveMsg> one(1);
    one.front().text = text;
    one.front().time = historytime::now();
    return impl_->with("saveMsg", [&](engine::Connection& db) {
        return local::addRecords(db, local::saveMsgTable(), one, {});
    });
}

int CLocalDataSerialize::readAllSaveMsg(std::vector<CSaveMsg>& out) {
    return selectSaveMsg("", out);
}

int CLocalDataSerialize::selectSaveMsg(const std::string& key, std::vector<CSaveMsg>& out) {
    return impl_->with("selectSaveMsg",
                       [&](engine::Connection& db) { return local::selectSaveMsgs(db, key, out); });
}

int CLocalDataSerialize::delSaveMsg(const int& id) {
    return impl_->with("delSaveMsg", [&](engine::Connection& db) {
        return local::deleteRecord(db, local::saveMsgTable(), id);
    });
}

}  // namespace Dmg
