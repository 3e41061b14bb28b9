#include "http/connection_pool.h"

#include <algorithm>

#include "http/socket_connection.h"

ConnectionPool::ConnectionPool(std::function<Clock::time_point()> now) : now(std::move(now)) {}

ConnectionPool::~ConnectionPool() = default;

std::unique_ptr<SocketConnection> ConnectionPool::Take(const std::string& place) {
    // Connections are closed outside the lock: a TLS one frees its session state.
    std::list<Idle> dropped;
    std::lock_guard<std::mutex> lock(mutex);
    const auto found = FindOpen(place, dropped);
    if (found == idle.end()) return nullptr;
    std::unique_ptr<SocketConnection> connection = std::move(found->connection);
    idle.erase(found);
    return connection;
}

bool ConnectionPool::Holds(const std::string& place) {
    std::list<Idle> dropped;
    std::lock_guard<std::mutex> lock(mutex);
    return FindOpen(place, dropped) != idle.end();
}

std::list<ConnectionPool::Idle>::iterator ConnectionPool::FindOpen(const std::string& place,
                                                                   std::list<Idle>& dropped) {
    DropStale(dropped);
    for (auto kept = idle.begin(); kept != idle.end();) {
        if (kept->place != place) {
            ++kept;
        } else if (kept->connection->LooksOpen()) {
            return kept;
        } else {
            dropped.splice(dropped.end(), idle, kept++);
        }
    }
    return idle.end();
}

void ConnectionPool::Keep(const std::string& place, std::unique_ptr<SocketConnection> connection) {
    std::list<Idle> dropped;
    std::lock_guard<std::mutex> lock(mutex);
    if (closed) return;  // `connection` closes as it goes
    DropStale(dropped);
    ++keepsOf[place];
    idle.push_front({place, std::move(connection), now()});
    std::size_t forPlace = 0;
    for (auto kept = idle.begin(); kept != idle.end();) {
        if (kept->place == place && ++forPlace > kIdlePerPlace) {
            dropped.splice(dropped.end(), idle, kept++);
        } else {
            ++kept;
        }
    }
    if (idle.size() <= kIdleInAll) return;
    // The place kept least often goes first, the longest unused among equals: a host that served
    // one company before the hosts that serve them all. The one just kept stays.
    auto victim = std::prev(idle.end());
    for (auto kept = victim; kept != idle.begin(); --kept) {
        if (keepsOf[kept->place] < keepsOf[victim->place]) victim = kept;
    }
    dropped.splice(dropped.end(), idle, victim);
}

void ConnectionPool::Close() {
    std::list<Idle> dropped;
    std::lock_guard<std::mutex> lock(mutex);
    closed = true;
    dropped.swap(idle);
}

std::size_t ConnectionPool::IdleCount() const {
    std::lock_guard<std::mutex> lock(mutex);
    return idle.size();
}

void ConnectionPool::DropStale(std::list<Idle>& dropped) {
    const Clock::time_point staleBefore = now() - kIdleLimit;
    // The list runs from the latest kept to the earliest, so the stale ones are its tail.
    const auto firstStale = std::find_if(
        idle.begin(), idle.end(), [staleBefore](const Idle& kept) { return kept.since <= staleBefore; });
    dropped.splice(dropped.end(), idle, firstStale, idle.end());
}
