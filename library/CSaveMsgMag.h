// The user interface's door to saved message texts in the main store
// ("database"): save, load all or a search result into a cache, page,
// delete, export.
//
// Plain and copyable; used from one thread. Results: 1 success, 0 failure,
// store results passed through unless said otherwise.
#pragma once

#include <string>
#include <vector>

#include "contracts/dmg/CSaveMsg.h"
#include "contracts/export.h"

namespace SMS {

class SMS_API CSaveMsgMag {
public:
    CSaveMsgMag();
    CSaveMsgMag(const CSaveMsgMag& other);
    CSaveMsgMag& operator=(const CSaveMsgMag& other);
    ~CSaveMsgMag();

    int saveMsg(const std::string& text);  // the cache is not touched
    int readAllSaveMsg();
    int selectSaveMsg(std::string key);
    int getMsgNum();
    // Replaces `out` with page `page` (from 0) of `pageSize` messages: 0 when
    // the cache is empty or the page or size is negative, else 1 (an empty
    // page past the end).
    int getSaveMsg(const int& page, const int& pageSize, std::vector<Dmg::CSaveMsg>& out);
    // Drops the first cached message `id`, then deletes it from the store.
    int delSaveMsg(const int& id);
    // Deletes every cached message from the store and empties the cache; 1.
    int delAllSaveMsg();
    // Row i: the text and the time of cached message i, no header.
    int exportAll(const std::string& path);

private:
    std::vector<Dmg::CSaveMsg> m_cache;
};

}  // namespace SMS
