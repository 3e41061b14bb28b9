#include "http/socket_connection.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace {

constexpr int kWaitWithoutEnd = -1;

bool LookUpIPv4(const std::string& host, in_addr& address) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) == 0 && found != nullptr) {
        address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
        freeaddrinfo(found);
        return true;
    }
    // A host that is neither a name nor a dotted address would be the all-ones address, which
    // can never be connected to: fail here without trying.
    address.s_addr = inet_addr(host.c_str());
    return address.s_addr != INADDR_NONE;
}

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

SocketConnection::SocketConnection(int wakeFd) : wakeFd(wakeFd) {}

SocketConnection::~SocketConnection() {
    Close();
}

bool SocketConnection::Create() {
    Close();
    socketFd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    return socketFd >= 0;
}

void SocketConnection::Close() {
    if (socketFd >= 0) close(socketFd);
    socketFd = -1;
}

SocketStatus SocketConnection::Wait(short events, int limitMs) {
    pollfd watched[2] = {{socketFd, events, 0}, {wakeFd, POLLIN, 0}};
    const nfds_t count = wakeFd >= 0 ? 2 : 1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    for (;;) {
        const int timeout = limitMs < 0 ? kWaitWithoutEnd : RemainingMs(deadline);
        const int ready = poll(watched, count, timeout);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return SocketStatus::kFailed;
        if (count == 2 && watched[1].revents != 0) return SocketStatus::kCancelled;
        if (ready == 0) return SocketStatus::kTimedOut;
        return SocketStatus::kDone;
    }
}

SocketStatus SocketConnection::Connect(const std::string& host, int port) {
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(static_cast<std::uint16_t>(port));
    if (!LookUpIPv4(host, server.sin_addr)) return SocketStatus::kFailed;
    if (connect(socketFd, reinterpret_cast<const sockaddr*>(&server), sizeof server) == 0) {
        return SocketStatus::kDone;
    }
    if (errno != EINPROGRESS && errno != EINTR) return SocketStatus::kFailed;
    const SocketStatus waited = Wait(POLLOUT, kWaitWithoutEnd);
    if (waited != SocketStatus::kDone) return waited;
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(socketFd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
        return SocketStatus::kFailed;
    }
    return SocketStatus::kDone;
}

SocketStatus SocketConnection::SendAll(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = send(socketFd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const SocketStatus waited = Wait(POLLOUT, kWaitWithoutEnd);
            if (waited != SocketStatus::kDone) return waited;
            continue;
        }
        return SocketStatus::kFailed;
    }
    return SocketStatus::kDone;
}

SocketStatus SocketConnection::WaitReadable(std::chrono::milliseconds limit) {
    return Wait(POLLIN, static_cast<int>(limit.count()));
}

SocketStatus SocketConnection::Receive(char* into, std::size_t capacity, std::size_t& received) {
    received = 0;
    for (;;) {
        const ssize_t count = recv(socketFd, into, capacity, 0);
        if (count > 0) {
            received = static_cast<std::size_t>(count);
            return SocketStatus::kDone;
        }
        if (count == 0) return SocketStatus::kClosed;
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return SocketStatus::kClosed;  // a broken stream ends it too
        const SocketStatus waited = Wait(POLLIN, kWaitWithoutEnd);
        if (waited == SocketStatus::kCancelled) return waited;
        if (waited != SocketStatus::kDone) return SocketStatus::kClosed;
    }
}
