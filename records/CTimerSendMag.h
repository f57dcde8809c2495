// The user interface's door to timed messages: load or search the records the
// data library keeps of them, page through them, and delete a selection at
// the service and locally.
//
// Plain and copyable; used from the caller's thread. Results: 1 success,
// 0 failure (also when no main store is registered), store results passed
// through unless said otherwise.
#pragma once

#include <string>
#include <vector>

#include "contracts/dmg/CTimerMsg.h"
#include "contracts/export.h"
#include "contracts/progress.h"

namespace SMS {

class SMS_API CTimerSendMag {
public:
    CTimerSendMag();
    CTimerSendMag(const CTimerSendMag& other);
    CTimerSendMag& operator=(const CTimerSendMag& other);
    virtual ~CTimerSendMag();

    // Both replace the list by what the store finds.
    int loadAllTimerInfo();
    int select(const std::string& text);
    // `out` becomes a copy of the list; 1.
    int getAllTimerMsg(std::vector<Dmg::CTimerMsg>& out);
    int getListInfoNum();
    // Replaces `out` with page `page` (from 0) of `pageSize` records: 0 when
    // the list is empty or the page or size is negative, else 1 (an empty
    // page past the end).
    int getListInfo(const int& page, const int& pageSize, std::vector<Dmg::CTimerMsg>& out);
    // One service request per group; a refused group keeps all its messages,
    // here and at the service. The summary goes to `deleteReport`. 1, or 0
    // without any call when `progress` is null.
    int deleteSelectList(const std::vector<Dmg::CTimerMsg>& selection, IBaseProgressDlg* progress);
    int deleteCurAllMsg(IBaseProgressDlg* progress);

    std::vector<Dmg::CTimerMsg> timerList;
    std::string deleteReport;

protected:
    // Deletes the first listed record with the record id of `msg` from the
    // store and the list; 1 also when there is none (the store is not asked).
    int deleteMsg(const Dmg::CTimerMsg& msg);
};

}  // namespace SMS
