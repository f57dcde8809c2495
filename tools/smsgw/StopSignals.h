// What asks the simulator to stop: SIGINT and SIGTERM on POSIX, Ctrl-C,
// Ctrl-Break and the console closing on Windows.
#pragma once

namespace smsgw {

// From now on those call `stop`, which must be async-signal-safe; a peer
// that hangs up makes a write fail rather than end the process.
void onStopRequest(void (*stop)());

}  // namespace smsgw
