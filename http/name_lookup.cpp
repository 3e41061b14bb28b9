#include "http/name_lookup.h"

#include <ares.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <mutex>

namespace {

using Clock = std::chrono::steady_clock;

std::mutex serversMutex;
std::string nameServers;

std::string NameServers() {
    std::lock_guard<std::mutex> lock(serversMutex);
    return nameServers;
}

void InitAresOnce() {
    static std::once_flag once;
    std::call_once(once, [] { ares_library_init(ARES_LIB_INIT_ALL); });
}

SocketAddress WithPort(const sockaddr* address, socklen_t length, int port) {
    SocketAddress result;
    std::memcpy(&result.storage, address, std::min<std::size_t>(length, sizeof result.storage));
    result.length = length;
    SetPort(result, port);
    return result;
}

bool ReadLiteral(std::string host, int port, SocketAddress& address) {
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    sockaddr_in v4{};
    v4.sin_family = AF_INET;
    if (inet_aton(host.c_str(), &v4.sin_addr) != 0) {
        address = WithPort(reinterpret_cast<const sockaddr*>(&v4), sizeof v4, port);
        return true;
    }
    sockaddr_in6 v6{};
    v6.sin6_family = AF_INET6;
    if (inet_pton(AF_INET6, host.c_str(), &v6.sin6_addr) == 1) {
        address = WithPort(reinterpret_cast<const sockaddr*>(&v6), sizeof v6, port);
        return true;
    }
    return false;
}

struct PendingLookup {
    bool done = false;
    bool found = false;
    int port = 0;
    std::vector<SocketAddress>* addresses = nullptr;
    int shortestTtl = 0;  // seconds
};

void LookupDone(void* argument, int status, int, ares_addrinfo* result) {
    auto* pending = static_cast<PendingLookup*>(argument);
    pending->done = true;
    if (status == ARES_SUCCESS && result != nullptr) {
        for (const ares_addrinfo_node* node = result->nodes; node != nullptr; node = node->ai_next) {
            if (node->ai_family != AF_INET && node->ai_family != AF_INET6) continue;
            pending->addresses->push_back(WithPort(node->ai_addr, node->ai_addrlen, pending->port));
            if (pending->addresses->size() == 1 || node->ai_ttl < pending->shortestTtl)
                pending->shortestTtl = std::max(node->ai_ttl, 0);
        }
        pending->found = !pending->addresses->empty();
    }
    if (result != nullptr) ares_freeaddrinfo(result);
}

// The channel's sockets and the wake descriptor, waited on until the lookup ends.
LookupStatus RunLookup(ares_channel channel, PendingLookup& pending, int wakeFd, Clock::time_point deadline) {
    while (!pending.done) {
        ares_socket_t sockets[ARES_GETSOCK_MAXNUM];
        const int bits = ares_getsock(channel, sockets, ARES_GETSOCK_MAXNUM);
        std::vector<pollfd> watched;
        for (int i = 0; i < ARES_GETSOCK_MAXNUM; ++i) {
            short events = 0;
            if (ARES_GETSOCK_READABLE(bits, i)) events |= POLLIN;
            if (ARES_GETSOCK_WRITABLE(bits, i)) events |= POLLOUT;
            if (events != 0) watched.push_back({sockets[i], events, 0});
        }
        const std::size_t socketCount = watched.size();
        if (wakeFd >= 0) watched.push_back({wakeFd, POLLIN, 0});

        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return LookupStatus::kTimedOut;
        timeval limit{left.count() / 1000, static_cast<long>(left.count() % 1000) * 1000};
        timeval ownLimit{};
        const timeval* next = ares_timeout(channel, &limit, &ownLimit);
        const int timeoutMs = static_cast<int>(next->tv_sec * 1000 + next->tv_usec / 1000);
        const int ready = poll(watched.data(), watched.size(), timeoutMs);
        if (ready < 0 && errno != EINTR) return LookupStatus::kNotFound;
        if (wakeFd >= 0 && watched.back().revents != 0) return LookupStatus::kCancelled;
        if (ready <= 0) {
            ares_process_fd(channel, ARES_SOCKET_BAD, ARES_SOCKET_BAD);  // the resolver's own time-outs
            continue;
        }
        for (std::size_t i = 0; i < socketCount; ++i) {
            const short seen = watched[i].revents;
            if (seen == 0) continue;
            ares_process_fd(channel, (seen & (POLLIN | POLLERR | POLLHUP)) ? watched[i].fd : ARES_SOCKET_BAD,
                            (seen & POLLOUT) ? watched[i].fd : ARES_SOCKET_BAD);
        }
    }
    return pending.found ? LookupStatus::kFound : LookupStatus::kNotFound;
}

}  // namespace

void SetPort(SocketAddress& address, int port) {
    const auto networkPort = htons(static_cast<std::uint16_t>(port));
    if (address.storage.ss_family == AF_INET6) {
        reinterpret_cast<sockaddr_in6*>(&address.storage)->sin6_port = networkPort;
    } else {
        reinterpret_cast<sockaddr_in*>(&address.storage)->sin_port = networkPort;
    }
}

void SetNameServersForTesting(const std::string& servers) {
    std::lock_guard<std::mutex> lock(serversMutex);
    nameServers = servers;
}

LookupStatus LookUpHost(const std::string& host, int port, int wakeFd, Clock::time_point deadline,
                        std::vector<SocketAddress>& addresses, std::chrono::seconds& timeToLive) {
    addresses.clear();
    timeToLive = std::chrono::seconds(0);
    SocketAddress literal;
    if (ReadLiteral(host, port, literal)) {
        addresses.push_back(literal);
        return LookupStatus::kFound;
    }
    if (host.empty()) return LookupStatus::kNotFound;

    InitAresOnce();
    ares_channel channel = nullptr;
    ares_options options{};
    if (ares_init_options(&channel, &options, 0) != ARES_SUCCESS) return LookupStatus::kNotFound;
    const std::string servers = NameServers();
    if (!servers.empty() && ares_set_servers_ports_csv(channel, servers.c_str()) != ARES_SUCCESS) {
        ares_destroy(channel);
        return LookupStatus::kNotFound;
    }
    PendingLookup pending;
    pending.port = port;
    pending.addresses = &addresses;
    ares_addrinfo_hints hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    ares_getaddrinfo(channel, host.c_str(), nullptr, &hints, LookupDone, &pending);
    const LookupStatus status = RunLookup(channel, pending, wakeFd, deadline);
    // Ends whatever is still asked; the callback then sees ARES_EDESTRUCTION and adds nothing.
    ares_destroy(channel);
    if (status != LookupStatus::kFound) addresses.clear();
    timeToLive = std::chrono::seconds(pending.shortestTtl);
    return status;
}
