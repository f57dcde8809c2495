// What tests need of sockets beside an HTTP library.
#pragma once

namespace fakes {

// A port on 127.0.0.1 where nothing listens (one just bound and let go).
int closedPort();

// A peer that hangs up makes a write fail instead of ending the process
// (SIGPIPE ignored; nothing to do on Windows).
void ignoreBrokenPipes();

}  // namespace fakes
