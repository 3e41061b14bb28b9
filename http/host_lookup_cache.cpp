#include "http/host_lookup_cache.h"

#include <poll.h>

#include <algorithm>

namespace {

// How often a thread that waits for another's lookup looks at its wake descriptor and deadline.
constexpr auto kPendingPoll = std::chrono::milliseconds(20);

bool Woken(int wakeFd) {
    pollfd watched{wakeFd, POLLIN, 0};
    return wakeFd >= 0 && poll(&watched, 1, 0) > 0;
}

}  // namespace

HostLookupCache::HostLookupCache(std::function<Clock::time_point()> now) : now(std::move(now)) {}

LookupStatus HostLookupCache::LookUp(const std::string& host, int port, int wakeFd,
                                     Clock::time_point deadline, std::vector<SocketAddress>& addresses) {
    std::unique_lock<std::mutex> lock(mutex);
    if (const std::optional<LookupStatus> ended = WaitWhilePending(lock, host, wakeFd, deadline))
        return *ended;
    if (const auto known = answers.find(host); known != answers.end() && now() < known->second.goodUntil) {
        addresses = known->second.addresses;
        for (SocketAddress& address : addresses) SetPort(address, port);
        return LookupStatus::kFound;
    }
    answers[host] = Answer();
    lock.unlock();

    std::chrono::seconds timeToLive{0};
    const LookupStatus status = LookUpHost(host, port, wakeFd, deadline, addresses, timeToLive);
    lock.lock();
    if (status == LookupStatus::kFound) {
        answers[host] = Answer{addresses, now() + std::max(timeToLive, kShortestHold), false};
    } else {
        answers.erase(host);
    }
    lock.unlock();
    settled.notify_all();
    return status;
}

std::optional<LookupStatus> HostLookupCache::WaitWhilePending(std::unique_lock<std::mutex>& lock,
                                                              const std::string& host, int wakeFd,
                                                              Clock::time_point deadline) {
    for (;;) {
        const auto known = answers.find(host);
        if (known == answers.end() || !known->second.pending) return std::nullopt;
        if (Woken(wakeFd)) return LookupStatus::kCancelled;
        if (Clock::now() >= deadline) return LookupStatus::kTimedOut;
        settled.wait_for(lock, kPendingPoll);
    }
}
