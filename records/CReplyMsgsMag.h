// The user interface's door to the received replies in the main store
// ("database"): load all or a search result into a cache, page, delete all
// or chosen ones, export.
//
// Plain and copyable; used from one thread. Results: 1 success, 0 failure
// (also when no store is registered), store results passed through unless
// said otherwise.
#pragma once

#include <string>
#include <vector>

#include "contracts/dmg/CSmsData.h"
#include "contracts/dmg/ReplyData.h"
#include "contracts/export.h"

namespace SMS {

class SMS_API CReplyMsgsMag {
public:
    CReplyMsgsMag();
    CReplyMsgsMag(const CReplyMsgsMag& other);
    CReplyMsgsMag& operator=(const CReplyMsgsMag& other);
    ~CReplyMsgsMag();

    // Both replace the cache by what the store finds.
    int loadAll();
    int select(Dmg::CSmsData& from, Dmg::CSmsData& to, std::string& key);
    int getLogNum();
    // Appends page `page` (from 0) of `pageSize` replies to `out`: 1, or 0
    // when the page starts outside the cache.
    int getLog(int page, int pageSize, std::vector<Dmg::ReplyData>& out);
    // Deletes every cached reply in one store call; the cache empties only
    // when the store answers 1.
    int delAll();
    // Drops the cached replies whose numbers are chosen (whatever the store
    // answers), then deletes those numbers in one store call.
    int delSelect(std::vector<Dmg::ReplyData>& chosen);
    // Row i: time, phone, extension and text of cached reply i, no header.
    int ExportAll(std::string& path);

private:
    std::vector<Dmg::ReplyData> m_cache;
};

}  // namespace SMS
