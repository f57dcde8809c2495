#include "StopSignals.h"

#include <signal.h>

namespace smsgw {

namespace {

void (*g_stop)() = nullptr;  // set before the handlers, read by them

void onSignal(int) {
    if (g_stop != nullptr) g_stop();
}

}  // namespace

void onStopRequest(void (*stop)()) {
    g_stop = stop;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

}  // namespace smsgw
