// The splits of a second into calendar fields, one pair per OS C library;
// common/TimeFields.cpp reads the clock and fills SystemTime from them.
#pragma once

#include <ctime>

namespace Platform {
namespace detail {

// `seconds` as fields of the local time zone, read again first so that a
// changed zone shows; false when the C library cannot split it. Called with
// the time-zone lock of getLocalTime() held.
bool toLocalTm(std::time_t seconds, std::tm& tm);
// `seconds` as fields of universal time; false when the C library cannot.
bool toUniversalTm(std::time_t seconds, std::tm& tm);

}  // namespace detail
}  // namespace Platform
