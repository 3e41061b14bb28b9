#include "http/socket_connection.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "http/host_lookup_cache.h"

namespace {

constexpr int kUntilDeadline = -1;

int MillisecondsOf(std::chrono::milliseconds limit) {
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(limit.count(), 0));
}

}  // namespace

SocketConnection::SocketConnection(int wakeFd, Clock::time_point deadline)
    : wakeFd(wakeFd), deadline(deadline) {}

SocketConnection::~SocketConnection() {
    Close();
}

void SocketConnection::Renew(int newWakeFd, Clock::time_point newDeadline) {
    wakeFd = newWakeFd;
    deadline = newDeadline;
}

bool SocketConnection::LooksOpen() {
    if (socketFd < 0 || (secure && tls.HasPending())) return false;
    for (;;) {
        pollfd watched{socketFd, POLLIN | POLLRDHUP, 0};
        if (poll(&watched, 1, 0) == 0) return true;
        if ((watched.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) != 0 || !secure) return false;
        // A TLS record that carried no data, such as a late session ticket, leaves it usable.
        if (tls.PeekIdle() != TlsStream::Step::kWantRead) return false;
    }
}

void SocketConnection::Close() {
    tls.End();
    secure = false;
    if (socketFd >= 0) close(socketFd);
    socketFd = -1;
}

SocketStatus SocketConnection::Wait(short events, int limitMs) {
    pollfd watched[2] = {{socketFd, events, 0}, {wakeFd, POLLIN, 0}};
    const nfds_t count = wakeFd >= 0 ? 2 : 1;
    const auto now = Clock::now();
    const auto limitEnd =
        limitMs < 0 ? deadline : std::min(deadline, now + std::chrono::milliseconds(limitMs));
    for (;;) {
        // Bytes that keep trickling in never carry a connection past its deadline.
        if (Clock::now() >= deadline) return SocketStatus::kTimedOut;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(limitEnd - Clock::now());
        const int ready = poll(watched, count, MillisecondsOf(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return SocketStatus::kFailed;
        if (count == 2 && watched[1].revents != 0) return SocketStatus::kCancelled;
        if (ready == 0) return SocketStatus::kTimedOut;
        return SocketStatus::kDone;
    }
}

SocketStatus SocketConnection::Connect(const std::string& host, int port, HostLookupCache& lookups) {
    std::vector<SocketAddress> addresses;
    switch (lookups.LookUp(host, port, wakeFd, deadline, addresses)) {
        case LookupStatus::kFound:
            break;
        case LookupStatus::kCancelled:
            return SocketStatus::kCancelled;
        case LookupStatus::kTimedOut:
            return SocketStatus::kTimedOut;
        case LookupStatus::kNotFound:
            return SocketStatus::kFailed;
    }
    SocketStatus status = SocketStatus::kFailed;
    for (const SocketAddress& address : addresses) {
        status = ConnectTo(address);
        if (status != SocketStatus::kFailed) return status;  // connected, or no point in going on
    }
    return status;
}

SocketStatus SocketConnection::ConnectTo(const SocketAddress& address) {
    Close();
    socketFd = socket(address.storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (socketFd < 0) return SocketStatus::kNoSocket;
    if (connect(socketFd, reinterpret_cast<const sockaddr*>(&address.storage), address.length) == 0) {
        return SocketStatus::kDone;
    }
    if (errno != EINPROGRESS && errno != EINTR) return SocketStatus::kFailed;
    const SocketStatus waited = Wait(POLLOUT, kUntilDeadline);
    if (waited != SocketStatus::kDone) return waited;
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(socketFd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
        return SocketStatus::kFailed;
    }
    return SocketStatus::kDone;
}

SocketStatus SocketConnection::WaitForTls(TlsStream::Step step, int limitMs) {
    switch (step) {
        case TlsStream::Step::kWantRead:
            return Wait(POLLIN, limitMs);
        case TlsStream::Step::kWantWrite:
            return Wait(POLLOUT, limitMs);
        case TlsStream::Step::kClosed:
            return SocketStatus::kClosed;
        default:
            return SocketStatus::kFailed;
    }
}

SocketStatus SocketConnection::StartTls(const std::string& host, int port,
                                        std::chrono::milliseconds stepLimit, std::string& problem) {
    if (!tls.Begin(socketFd, host, port, problem)) return SocketStatus::kFailed;
    for (;;) {
        const TlsStream::Step step = tls.Handshake(problem);
        if (step == TlsStream::Step::kDone) break;
        if (step == TlsStream::Step::kClosed) problem = "TLS handshake failed: connection closed";
        const SocketStatus waited = WaitForTls(step, MillisecondsOf(stepLimit));
        if (waited != SocketStatus::kDone)
            return waited == SocketStatus::kClosed ? SocketStatus::kFailed : waited;
    }
    secure = true;
    return SocketStatus::kDone;
}

SocketStatus SocketConnection::SendAll(std::string_view bytes) {
    while (!bytes.empty()) {
        if (secure) {
            std::size_t written = 0;
            const TlsStream::Step step = tls.Write(bytes, written);
            bytes.remove_prefix(written);
            if (step == TlsStream::Step::kDone) continue;
            const SocketStatus waited = WaitForTls(step, kUntilDeadline);
            if (waited != SocketStatus::kDone) return waited;
            continue;
        }
        const ssize_t sent = send(socketFd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const SocketStatus waited = Wait(POLLOUT, kUntilDeadline);
            if (waited != SocketStatus::kDone) return waited;
            continue;
        }
        return SocketStatus::kFailed;
    }
    return SocketStatus::kDone;
}

SocketStatus SocketConnection::WaitReadable(std::chrono::milliseconds limit) {
    if (secure && tls.HasPending()) return SocketStatus::kDone;
    return Wait(POLLIN, MillisecondsOf(limit));
}

SocketStatus SocketConnection::Receive(char* into, std::size_t capacity, std::size_t& received,
                                       std::chrono::milliseconds limit) {
    received = 0;
    for (;;) {
        short waitFor = POLLIN;
        if (secure) {
            const TlsStream::Step step = tls.Read(into, capacity, received);
            if (step == TlsStream::Step::kDone) return SocketStatus::kDone;
            if (step == TlsStream::Step::kClosed) return SocketStatus::kClosed;
            if (step == TlsStream::Step::kWantWrite) waitFor = POLLOUT;
        } else {
            const ssize_t count = recv(socketFd, into, capacity, 0);
            if (count > 0) {
                received = static_cast<std::size_t>(count);
                return SocketStatus::kDone;
            }
            if (count == 0) return SocketStatus::kClosed;
            if (errno == EINTR) continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                return SocketStatus::kClosed;  // a broken stream ends it too
        }
        const SocketStatus waited = Wait(waitFor, MillisecondsOf(limit));
        if (waited == SocketStatus::kCancelled || waited == SocketStatus::kTimedOut) return waited;
        if (waited != SocketStatus::kDone) return SocketStatus::kClosed;
    }
}
