// The send settings handed out at login (characters per SMS per carrier,
// packet sizes, the pause between packets, the balance and the count
// limits), the five callbacks through which the library reports send
// progress, and the SMS segment count of a set of messages. The caller sets
// the callbacks and calls setNetConfigData after login; the fields are read
// and written directly.
//
// Calling a callback that was never set raises boost::bad_function_call,
// so every callback that the path in use calls must be set before the first
// send, and none may be reassigned while a send or the sending thread runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// GCC 12 reports the small-object copy inside boost::function as reading
// uninitialised bytes when a small functor is assigned (a false alarm); the
// warning is silenced for Boost's own lines only, which also serves every
// caller that assigns a callback.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <boost/function.hpp>
#pragma GCC diagnostic pop

#include "contracts/dmg/CSendQueueElement.h"
#include "contracts/dmg/QueueData.h"
#include "contracts/export.h"
#include "contracts/net/CNetConfigData.h"
#include "contracts/net/CNetLogResult.h"
#include "send/CSharedFlag.h"

namespace SMS {

class SMS_API CSmsSendStartInstance {
public:
    // The process-wide instance, created on the first call, never destroyed.
    static CSmsSendStartInstance* Instance();

    CSmsSendStartInstance();
    CSmsSendStartInstance(const CSmsSendStartInstance& other);
    CSmsSendStartInstance& operator=(const CSmsSendStartInstance& other);
    ~CSmsSendStartInstance();

    // Takes the send settings of the login result; `config` sets nothing.
    // timedPackSize becomes 300 whatever the login says. A characters-per-
    // SMS value or a packet size below 1 would divide by zero or never
    // advance the packing: it is refused, the previous value kept and the
    // refusal logged (level 2). The callbacks, sendFinished and
    // reservedValue stay as they are.
    void setNetConfigData(const SMS::NET::CNetLogResult& login,
                          const SMS::NET::CNetConfigData& config);

    // Segments that sending messages[i] to phones[i] for every i costs; 0
    // when the two differ in length.
    int getSmsSplitNum(const std::vector<std::string>& phones,
                       std::vector<std::string> messages) const;
    // The same over each element's phone number and message text.
    int getSmsSplitNum(const std::vector<Dmg::CSendQueueElement>& elements) const;
    // Segments of one message to one number: the characters
    // (CSendMsg::getMsgWord) divided by the carrier's characters per SMS,
    // rounded up; 0 for an empty message or a number of no carrier class.
    // A characters-per-SMS field set below 1 by hand counts as 1.
    int segmentCount(const std::string& phone, const std::string& message) const;

    static CSmsSendStartInstance* ms_pInstance;

    // Send pipeline: the packets of a send are stored.
    boost::function<void(std::vector<Dmg::QueueData>&)> onPacketsQueued;
    // Send pipeline: the element list of a send is built.
    boost::function<void()> onSendPrepared;
    // Sending thread, after each packet: its record id and a scratch value.
    boost::function<void(int&, int&)> onPacketDone;
    // Sending thread: stopped on the caller's decision after a failure.
    boost::function<void()> onSendAborted;
    // Sending thread, first failed packet of a run, with the error text;
    // non-zero stops the run.
    boost::function<int(std::string&)> onFirstSendFailure;
    // Set by the sending thread when the queue runs empty, cleared by the
    // send pipeline when a limit refuses a send; safe to read meanwhile.
    CSharedFlag sendFinished;
    std::int32_t mobileCharsPerSms;   // YD
    std::int32_t unicomCharsPerSms;   // LT
    std::int32_t telecomCharsPerSms;  // DX
    std::int32_t phsCharsPerSms;      // XLT
    std::int32_t timedPackSize;       // recipients per timed packet after the leading run
    std::int32_t packSize;            // recipients per immediate packet after the leading run
    std::int32_t packetPauseMs;       // sleep of the sending thread after each packet
    std::int32_t remainingSms;        // balance in segments
    std::int32_t firstPackSize;       // recipients per packet within the leading run
    std::int32_t maxSendCount;        // most segments one immediate send may cost
    std::int32_t maxTimedSendCount;   // most segments one timed send may cost
    std::int32_t reservedValue;       // kept for the caller; the library never reads it
    std::int32_t packetIdSalt;        // added into packet ids
    std::int32_t filterContent;       // non-zero: check texts against the reject words

private:
    std::int32_t charsPerSmsOf(const std::string& phone) const;
};

}  // namespace SMS
