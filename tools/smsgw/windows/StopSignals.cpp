#include "StopSignals.h"

#include <windows.h>

namespace smsgw {

namespace {

void (*g_stop)() = nullptr;  // set before the handler, read by it

// Runs on a thread of its own.
BOOL WINAPI onConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
    if (g_stop != nullptr) g_stop();
    return TRUE;
}

}  // namespace

void onStopRequest(void (*stop)()) {
    g_stop = stop;
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

}  // namespace smsgw
