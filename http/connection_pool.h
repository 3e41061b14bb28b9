#pragma once

#include <cstddef>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>  // the duration types; the full <chrono> cannot be compiled to GBK

class SocketConnection;

// The idle connections of one search (or of one client on its own), kept between requests so
// that the next request to the same place skips the connect, the proxy's tunnel and the TLS
// handshake. A place names the scheme, host and port of the site and where the connection really
// goes (the proxy, or the connect-to target). A connection is in the pool or with one thread,
// never with two. At most kIdlePerPlace connections wait for one place (one per thread of a
// search) and kIdleInAll in all, so that a site whose companies each have a host of their own
// is never held by dozens of idle sockets: over that, one of the place kept least often goes.
// One unused for kIdleLimit is closed the next time the pool is asked, so that the pool needs no
// thread of its own.
class ConnectionPool {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::size_t kIdlePerPlace = 4;
    static constexpr std::size_t kIdleInAll = 16;
    static constexpr std::chrono::seconds kIdleLimit{30};

    // `now` is the clock the idle times run on; tests may pass their own.
    explicit ConnectionPool(std::function<Clock::time_point()> now = Clock::now);
    ~ConnectionPool();
    ConnectionPool(const ConnectionPool&) = delete;
    ConnectionPool& operator=(const ConnectionPool&) = delete;

    // The most recently kept connection to the place that still looks open; null when none.
    std::unique_ptr<SocketConnection> Take(const std::string& place);
    // Whether Take would give a connection now.
    bool Holds(const std::string& place);
    // Keeps a connection whose last response ended cleanly, for the next request to the place.
    void Keep(const std::string& place, std::unique_ptr<SocketConnection> connection);
    // Closes every idle connection, and from now on every connection handed to Keep: the search
    // that owns the pool has ended.
    void Close();
    std::size_t IdleCount() const;

private:
    struct Idle {
        std::string place;
        std::unique_ptr<SocketConnection> connection;
        Clock::time_point since;
    };

    // Drops the connections idle for too long; the caller holds the mutex.
    void DropStale(std::list<Idle>& dropped);
    // The most recently kept connection to the place that still looks open, the ones that no
    // longer do dropped on the way; end() when none. The caller holds the mutex.
    std::list<Idle>::iterator FindOpen(const std::string& place, std::list<Idle>& dropped);

    std::function<Clock::time_point()> now;
    mutable std::mutex mutex;
    std::list<Idle> idle;  // the most recently kept first
    std::map<std::string, std::size_t> keepsOf;  // connections kept for each place so far
    bool closed = false;
};
