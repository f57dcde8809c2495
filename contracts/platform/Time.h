// Clock and sleep calls of the platform layer.
#pragma once

#include "contracts/export.h"

namespace Platform {

// Calendar time with the fields of a Windows SYSTEMTIME.
struct SystemTime {
    unsigned short wYear = 0;
    unsigned short wMonth = 0;      // 1..12
    unsigned short wDayOfWeek = 0;  // 0 = Sunday
    unsigned short wDay = 0;
    unsigned short wHour = 0;
    unsigned short wMinute = 0;
    unsigned short wSecond = 0;
    unsigned short wMilliseconds = 0;
};

// Local time of this machine's time zone.
PLATFORM_API SystemTime getLocalTime();
// Coordinated universal time.
PLATFORM_API SystemTime getSystemTime();
// Suspends the calling thread for at least `ms` milliseconds.
PLATFORM_API void sleepMs(unsigned long ms);

}  // namespace Platform
