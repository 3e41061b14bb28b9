// harvio-delay-relay: a TCP relay on loopback that makes a far-away site out of a near one. Every
// byte is held for half the round-trip time in each direction, so that an exchange costs one
// round trip, and a new connection's first bytes wait one round trip more, as a TCP handshake
// costs a real client before it may send. Runs until SIGINT or SIGTERM.
//   harvio-delay-relay --target HOST:PORT --rtt-ms N [--port P]   (prints "listening on 127.0.0.1:PORT")
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <string>
#include <thread>
#include <vector>

#include "tools/serve_until_stopped.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kReadStep = 16384;

// Bytes read from one side, and when the other side may have them; an empty piece is the end.
struct Piece {
    Clock::time_point due;
    std::string bytes;
};

bool SendAll(int fd, const std::string& bytes) {
    for (std::size_t sent = 0; sent < bytes.size();) {
        const ssize_t count = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count <= 0) return false;
        sent += static_cast<std::size_t>(count);
    }
    return true;
}

void NoDelay(int fd) {
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

// Carries one direction of a connection: what `from` sends reaches `to` `delay` later, and
// nothing before `earliest`. Ends when `from` ends (then `to` is shut for writing), when `to`
// fails, or when the relay stops.
void Carry(int from, int to, Clock::duration delay, Clock::time_point earliest, int stopFd) {
    std::deque<Piece> pending;
    bool ended = false;
    for (;;) {
        int waitMs = -1;
        if (!pending.empty()) {
            const auto left = pending.front().due - Clock::now();
            waitMs = static_cast<int>(
                std::max<long>(0, std::chrono::duration_cast<std::chrono::milliseconds>(left).count() + 1));
        }
        pollfd watched[2] = {{from, static_cast<short>(ended ? 0 : POLLIN), 0}, {stopFd, POLLIN, 0}};
        if (poll(watched, 2, waitMs) < 0 && errno != EINTR) return;
        if (watched[1].revents != 0) return;
        if (watched[0].revents != 0 && !ended) {
            char buffer[kReadStep];
            const ssize_t count = recv(from, buffer, sizeof buffer, 0);
            ended = count <= 0;
            pending.push_back(
                {std::max(Clock::now(), earliest) + delay,
                 count > 0 ? std::string(buffer, static_cast<std::size_t>(count)) : std::string()});
        }
        while (!pending.empty() && pending.front().due <= Clock::now()) {
            if (pending.front().bytes.empty()) {
                shutdown(to, SHUT_WR);
                return;
            }
            if (!SendAll(to, pending.front().bytes)) return;
            pending.pop_front();
        }
    }
}

class Relay {
public:
    Relay(sockaddr_storage target, socklen_t targetLength, std::chrono::milliseconds roundTrip)
        : target(target), targetLength(targetLength), roundTrip(roundTrip), stopFd(eventfd(0, EFD_CLOEXEC)) {}

    // The port listened on, or -1.
    int Bind(int port) {
        listenFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        socklen_t length = sizeof address;
        if (listenFd < 0 || bind(listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(listenFd, SOMAXCONN) != 0 ||
            getsockname(listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return -1;
        return ntohs(address.sin_port);
    }

    // Relays until Stop; then joins every connection's threads.
    void Serve() {
        for (;;) {
            pollfd watched[2] = {{listenFd, POLLIN, 0}, {stopFd, POLLIN, 0}};
            if (poll(watched, 2, -1) < 0 && errno != EINTR) break;
            if (watched[1].revents != 0) break;
            if (watched[0].revents == 0) continue;
            const int client = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) continue;
            const auto accepted = Clock::now();
            const int server = socket(target.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (server < 0 ||
                connect(server, reinterpret_cast<const sockaddr*>(&target), targetLength) != 0) {
                close(client);
                if (server >= 0) close(server);
                continue;
            }
            NoDelay(client);
            NoDelay(server);
            const Clock::duration half = roundTrip / 2;
            // A real client sends its first bytes one round trip after it began to connect.
            threads.emplace_back([=, this] {
                std::thread back(Carry, server, client, half, Clock::time_point(), stopFd);
                Carry(client, server, half, accepted + roundTrip, stopFd);
                back.join();
                close(client);
                close(server);
            });
        }
        for (std::thread& thread : threads) thread.join();
    }

    void Stop() {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = write(stopFd, &one, sizeof one);
    }

private:
    sockaddr_storage target;
    socklen_t targetLength;
    std::chrono::milliseconds roundTrip;
    int stopFd;
    int listenFd = -1;
    std::vector<std::thread> threads;
};

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"A loopback TCP relay that adds a round-trip time to every connection."};
    std::string targetText;
    int roundTripMs = 60;
    int port = 0;
    app.add_option("--target", targetText, "HOST:PORT to relay to")->required();
    app.add_option("--rtt-ms", roundTripMs, "round-trip time added, in milliseconds")->capture_default_str();
    app.add_option("--port", port, "loopback port to listen on; 0 picks a free one")->capture_default_str();
    CLI11_PARSE(app, argc, argv);

    const std::size_t colon = targetText.rfind(':');
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (colon == std::string::npos ||
        getaddrinfo(targetText.substr(0, colon).c_str(), targetText.substr(colon + 1).c_str(), &hints,
                    &found) != 0) {
        std::fprintf(stderr, "cannot read the target %s\n", targetText.c_str());
        return 2;
    }
    sockaddr_storage target{};
    const socklen_t targetLength = found->ai_addrlen;
    std::memcpy(&target, found->ai_addr, found->ai_addrlen);
    freeaddrinfo(found);

    signal(SIGPIPE, SIG_IGN);
    Relay relay(target, targetLength, std::chrono::milliseconds(roundTripMs));
    return ServeUntilStopped(relay, port);
}
