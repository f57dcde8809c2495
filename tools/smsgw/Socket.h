// The socket calls of the HTTP server, one implementation per OS (BSD
// sockets, Winsock): TCP on IPv4, poll, and a waker every poll can watch.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace smsgw::sock {

using Handle = std::intptr_t;  // a descriptor or a SOCKET
constexpr Handle kNone = -1;

// Events of a PollEntry.
constexpr short kIn = 1;     // readable, or a connection to accept
constexpr short kOut = 2;    // writable
constexpr short kOther = 4;  // in revents only: hung up, failed, anything else

struct PollEntry {
    Handle handle;
    short events;
    short revents = 0;
};

// Results below 0 of poll(), receive() and send().
constexpr int kAgain = -1;   // interrupted, or nothing to do yet: try again
constexpr int kFailed = -2;

// The number of entries with revents, 0 after the time out, or a result
// below 0. At most 4 entries.
int poll(PollEntry* entries, std::size_t count, int timeoutMs);

bool isIPv4(const std::string& host);
// A socket listening on host:port (port 0: a free one), which it tells in
// `bound`; kNone, with the system's reason in `error`.
Handle listen(const std::string& host, int port, int& bound, std::string& error);
// A connection waiting on `listener`, with Nagle's delay off; kNone for none.
Handle accept(Handle listener);
// Bytes read (up to `size`), 0 once the peer has closed, or below 0.
long receive(Handle socket, char* data, std::size_t size);
// Bytes written without waiting, or below 0; never raises SIGPIPE.
long send(Handle socket, const char* data, std::size_t size);
void close(Handle socket);

// Readable from the first wake() on, for ever: nobody reads what it wrote.
class Waker {
public:
    Waker() = default;
    ~Waker();
    Waker(const Waker&) = delete;
    Waker& operator=(const Waker&) = delete;

    bool open(std::string& error);
    // Async-signal-safe.
    void wake();
    Handle handle() const { return read_; }

private:
    Handle read_ = kNone, write_ = kNone;
};

}  // namespace smsgw::sock
