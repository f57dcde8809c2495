// The server's sockets on Winsock: WSAPoll, connections that never block (so
// that a send waits in poll, where a stop reaches it), and for the waker a
// connected pair of loopback sockets.
#include "Socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <climits>

namespace smsgw::sock {

namespace {

SOCKET socketOf(Handle h) { return static_cast<SOCKET>(h); }

// Winsock started once for the process, and never stopped.
bool started() {
    static const bool ok = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ok;
}

std::string lastError() {
    const int code = WSAGetLastError();
    char text[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, static_cast<DWORD>(code),
                   0, text, sizeof text, nullptr);
    std::string s = text;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
    return s.empty() ? "Winsock error " + std::to_string(code) : s;
}

short reventsOf(short polled) {
    short r = 0;
    if (polled & POLLRDNORM) r |= kIn;
    if (polled & POLLWRNORM) r |= kOut;
    if (polled & ~(POLLRDNORM | POLLWRNORM)) r |= kOther;
    return r;
}

long resultOf(int n) {
    if (n != SOCKET_ERROR) return n;
    const int code = WSAGetLastError();
    return code == WSAEINTR || code == WSAEWOULDBLOCK ? kAgain : kFailed;
}

int sizeOf(std::size_t size) { return size > INT_MAX ? INT_MAX : static_cast<int>(size); }

bool parse(const std::string& host, in_addr& out) { return ::inet_pton(AF_INET, host.c_str(), &out) == 1; }

// A TCP socket bound to `at` and listening; INVALID_SOCKET else, the error kept.
SOCKET listening(const sockaddr_in& at, int& bound) {
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = at;
    int size = sizeof address;
    if (s == INVALID_SOCKET || ::bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(s, 128) != 0 || ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        if (s != INVALID_SOCKET) {
            const int code = WSAGetLastError();
            ::closesocket(s);
            WSASetLastError(code);
        }
        return INVALID_SOCKET;
    }
    bound = ntohs(address.sin_port);
    return s;
}

}  // namespace

int poll(PollEntry* entries, std::size_t count, int timeoutMs) {
    WSAPOLLFD fds[4];
    for (std::size_t i = 0; i < count; ++i) {
        fds[i].fd = socketOf(entries[i].handle);
        fds[i].events = static_cast<short>((entries[i].events & kIn ? POLLRDNORM : 0) |
                                           (entries[i].events & kOut ? POLLWRNORM : 0));
        fds[i].revents = 0;
        entries[i].revents = 0;
    }
    const int ready = ::WSAPoll(fds, static_cast<ULONG>(count), timeoutMs);
    if (ready == SOCKET_ERROR) return WSAGetLastError() == WSAEINTR ? kAgain : kFailed;
    for (std::size_t i = 0; i < count; ++i) entries[i].revents = reventsOf(fds[i].revents);
    return ready;
}

bool isIPv4(const std::string& host) {
    in_addr address{};
    return started() && parse(host, address);
}

Handle listen(const std::string& host, int port, int& bound, std::string& error) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    if (!started() || !parse(host, address.sin_addr)) {
        error = lastError();
        return kNone;
    }
    // No SO_REUSEADDR: on Windows it lets another socket take a port in use.
    const SOCKET s = listening(address, bound);
    if (s == INVALID_SOCKET) {
        error = lastError();
        return kNone;
    }
    return static_cast<Handle>(s);
}

Handle accept(Handle listener) {
    const SOCKET s = ::accept(socketOf(listener), nullptr, nullptr);
    if (s == INVALID_SOCKET) return kNone;
    u_long nonBlocking = 1;
    ::ioctlsocket(s, FIONBIO, &nonBlocking);
    const BOOL on = TRUE;
    ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    return static_cast<Handle>(s);
}

long receive(Handle socket, char* data, std::size_t size) {
    return resultOf(::recv(socketOf(socket), data, sizeOf(size), 0));
}

long send(Handle socket, const char* data, std::size_t size) {
    return resultOf(::send(socketOf(socket), data, sizeOf(size), 0));
}

void close(Handle socket) {
    if (socket != kNone) ::closesocket(socketOf(socket));
}

Waker::~Waker() {
    close(read_);
    close(write_);
}

bool Waker::open(std::string& error) {
    sockaddr_in loopback{};
    loopback.sin_family = AF_INET;
    loopback.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int port = 0;
    const SOCKET listener = started() ? listening(loopback, port) : INVALID_SOCKET;
    if (listener == INVALID_SOCKET) {
        error = lastError();
        return false;
    }
    loopback.sin_port = htons(static_cast<u_short>(port));
    const SOCKET writer = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    const bool connected = writer != INVALID_SOCKET &&
                           ::connect(writer, reinterpret_cast<const sockaddr*>(&loopback), sizeof loopback) == 0;
    const SOCKET reader = connected ? ::accept(listener, nullptr, nullptr) : INVALID_SOCKET;
    if (reader == INVALID_SOCKET) error = lastError();
    ::closesocket(listener);
    if (writer != INVALID_SOCKET) write_ = static_cast<Handle>(writer);
    if (reader == INVALID_SOCKET) return false;
    read_ = static_cast<Handle>(reader);
    return true;
}

void Waker::wake() {
    if (write_ == kNone) return;
    const char byte = 1;
    ::send(socketOf(write_), &byte, 1, 0);
}

}  // namespace smsgw::sock
