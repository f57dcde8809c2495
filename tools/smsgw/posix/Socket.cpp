// The server's sockets on BSD sockets and poll(); the waker is a pipe.
#include "Socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace smsgw::sock {

namespace {

int fdOf(Handle h) { return static_cast<int>(h); }

short reventsOf(short polled) {
    short r = 0;
    if (polled & POLLIN) r |= kIn;
    if (polled & POLLOUT) r |= kOut;
    if (polled & ~(POLLIN | POLLOUT)) r |= kOther;
    return r;
}

long resultOf(ssize_t n, bool wouldBlockToo) {
    if (n >= 0) return static_cast<long>(n);
    return errno == EINTR || (wouldBlockToo && (errno == EAGAIN || errno == EWOULDBLOCK)) ? kAgain
                                                                                          : kFailed;
}

}  // namespace

int poll(PollEntry* entries, std::size_t count, int timeoutMs) {
    pollfd fds[4];
    for (std::size_t i = 0; i < count; ++i) {
        fds[i] = {fdOf(entries[i].handle), static_cast<short>((entries[i].events & kIn ? POLLIN : 0) |
                                                              (entries[i].events & kOut ? POLLOUT : 0)),
                  0};
        entries[i].revents = 0;
    }
    const int ready = ::poll(fds, count, timeoutMs);
    if (ready < 0) return errno == EINTR ? kAgain : kFailed;
    for (std::size_t i = 0; i < count; ++i) entries[i].revents = reventsOf(fds[i].revents);
    return ready;
}

bool isIPv4(const std::string& host) {
    in_addr address{};
    return ::inet_pton(AF_INET, host.c_str(), &address) == 1;
}

Handle listen(const std::string& host, int port, int& bound, std::string& error) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    ::inet_pton(AF_INET, host.c_str(), &address.sin_addr);
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    socklen_t size = sizeof address;
    if (fd < 0 || ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 128) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        error = std::strerror(errno);
        if (fd >= 0) ::close(fd);
        return kNone;
    }
    bound = ntohs(address.sin_port);
    return fd;
}

Handle accept(Handle listener) {
    const int fd = ::accept4(fdOf(listener), nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return kNone;
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return fd;
}

long receive(Handle socket, char* data, std::size_t size) {
    return resultOf(::recv(fdOf(socket), data, size, 0), false);
}

long send(Handle socket, const char* data, std::size_t size) {
    return resultOf(::send(fdOf(socket), data, size, MSG_NOSIGNAL | MSG_DONTWAIT), true);
}

void close(Handle socket) {
    if (socket != kNone) ::close(fdOf(socket));
}

Waker::~Waker() {
    close(read_);
    close(write_);
}

bool Waker::open(std::string& error) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return false;
    }
    read_ = ends[0], write_ = ends[1];
    return true;
}

void Waker::wake() {
    if (write_ == kNone) return;
    const char byte = 1;
    const ssize_t written = ::write(fdOf(write_), &byte, 1);
    (void)written;  // a full pipe already says "awake"
}

}  // namespace smsgw::sock
