// Clock reading and calendar-field filling shared by the OS clocks: they
// differ only in how a second is split into local or universal fields.
#pragma once

#include <ctime>

#include "contracts/platform/Time.h"

namespace Platform {
namespace detail {

// The current time as whole seconds and the milliseconds past them.
struct ClockReading {
    std::time_t seconds;
    unsigned short milliseconds;
};
ClockReading readClock();

SystemTime fromTm(const std::tm& tm, unsigned short milliseconds);

}  // namespace detail
}  // namespace Platform
