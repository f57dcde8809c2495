#include "tools/smsctl/Interrupt.h"

#include <atomic>
#include <csignal>

namespace smsctl {
namespace {

// Set by the signal handler, read by any thread: lock-free, so safe in a handler.
std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void onInterrupt(int) {
    g_interrupted.store(true);
    std::signal(SIGINT, SIG_DFL);  // the next Ctrl-C ends the program
}

}  // namespace

void catchInterrupt() {
    std::signal(SIGINT, onInterrupt);
#ifdef SIGPIPE
    // A reader that goes away (smsctl send ... | head) must not end a send
    // half way: writes to the closed pipe fail instead. (Windows has no such
    // signal: the write fails by itself.)
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

bool interrupted() { return g_interrupted.load(); }

}  // namespace smsctl
