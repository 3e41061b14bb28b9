#include "http/request_canceller.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

RequestCanceller::RequestCanceller() : eventFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

RequestCanceller::~RequestCanceller() {
    if (eventFd >= 0) close(eventFd);
}

void RequestCanceller::Cancel() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        cancelled.store(true);
    }
    wake.notify_all();
    if (eventFd >= 0) {
        const std::uint64_t one = 1;
        // The counter only has to become non-zero; a full counter is readable all the same.
        [[maybe_unused]] const ssize_t written = write(eventFd, &one, sizeof one);
    }
}

bool RequestCanceller::IsCancelled() const {
    return cancelled.load();
}

bool RequestCanceller::WaitFor(std::chrono::milliseconds duration) {
    std::unique_lock<std::mutex> lock(mutex);
    return !wake.wait_for(lock, duration, [this] { return cancelled.load(); });
}

int RequestCanceller::WakeFd() const {
    return eventFd;
}
