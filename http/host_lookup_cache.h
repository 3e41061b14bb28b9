#pragma once

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>  // the duration types; the full <chrono> cannot be compiled to GBK
#include <vector>

#include "http/name_lookup.h"

// The addresses of the hosts that one search (or one command-line run) has looked up, shared by
// its threads, so that each host is asked for once: an answer is kept for its time to live but at
// least kShortestHold, since a search asks a directory's few hosts again and again. A failed
// lookup is not kept: the next request asks again, as the search's own tries expect. A thread
// that wants a host another thread is looking up waits for that answer instead of asking too;
// its wait, like the lookup itself, ends as soon as its wake descriptor turns readable.
class HostLookupCache {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds kShortestHold{60};

    // `now` is the clock the times to live run on; tests may pass their own.
    explicit HostLookupCache(std::function<Clock::time_point()> now = Clock::now);
    HostLookupCache(const HostLookupCache&) = delete;
    HostLookupCache& operator=(const HostLookupCache&) = delete;

    // As LookUpHost, from the cache when it holds an answer for the host that is still good.
    LookupStatus LookUp(const std::string& host, int port, int wakeFd, Clock::time_point deadline,
                        std::vector<SocketAddress>& addresses);

private:
    struct Answer {
        std::vector<SocketAddress> addresses;
        Clock::time_point goodUntil;
        bool pending = true;  // a thread is looking the host up
    };

    // Waits while another thread looks the host up; the status of a wait that ended early.
    std::optional<LookupStatus> WaitWhilePending(std::unique_lock<std::mutex>& lock, const std::string& host,
                                                 int wakeFd, Clock::time_point deadline);

    std::function<Clock::time_point()> now;
    std::mutex mutex;
    std::condition_variable settled;
    std::map<std::string, Answer> answers;
};
