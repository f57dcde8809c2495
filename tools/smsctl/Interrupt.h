// Ctrl-C: the first one asks the running operation to stop (progress objects
// answer isCanceled, a send stops its threads and leaves the rest queued);
// a second one ends the program at once. A closed output pipe does not end
// the program.
#pragma once

namespace smsctl {

void catchInterrupt();
bool interrupted();

}  // namespace smsctl
