// The send pipeline: turns a composed send into stored queue packets and
// hands them to the caller's onPacketsQueued callback. One call, on the
// caller's thread: build the elements, split them by the reject lists, let
// the test numbers rework the send list, pack, check the limits and the
// balance, write the send log, store the packets in SQu.dll and pass them on.
//
// Progress: setRange(0, 6, 1), one title, then refresh/offsetPos(1) after
// each of six stages; a refusal ends the sequence early. Every stage is
// logged at level 0 with its elapsed whole seconds.
#pragma once

#include <string>
#include <vector>

#include "contracts/dmg/CSendQueueElement.h"
#include "contracts/export.h"
#include "contracts/progress.h"

namespace SMS {

class CSmsMsgProcessor;

class SMS_API CSmsSender {
public:
    // 1 when the send was queued; 0 when it was refused, with the message
    // for the user in `errorText` (untouched on success). Neither pointer
    // may be null. A send whose packets cannot be stored is refused and
    // leaves no packet behind and the balance as it was.
    int send(CSmsMsgProcessor* processor, std::string& errorText, IBaseProgressDlg* progress);

protected:
    // Appends each element to `sendList`, or to `rejectedList` when its
    // number is on the reject-phone list. The lists are not emptied first.
    void FliterA(const std::vector<Dmg::CSendQueueElement>& elements,
                 std::vector<Dmg::CSendQueueElement>& sendList,
                 std::vector<Dmg::CSendQueueElement>& rejectedList);
    // As FliterA, and also rejects an element by its own text: an untested
    // text with a reject word, an untested empty text, or a text the
    // composition already marked rejected (check state -1).
    void FliterB(const std::vector<Dmg::CSendQueueElement>& elements,
                 std::vector<Dmg::CSendQueueElement>& sendList,
                 std::vector<Dmg::CSendQueueElement>& rejectedList);
};

}  // namespace SMS
