#include "loopback_site.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

#include "http/connect_to_map.h"

namespace {

constexpr int kReadLimitMs = 5000;           // a request head takes no longer on loopback
constexpr std::size_t kHeadLimit = 1 << 16;  // nor is it longer
constexpr int kMomentMs = 2;                 // the idle time after which kCloseWhenIdle closes

// Waits until fd is readable; false when the stop descriptor fires first or the limit passes.
bool WaitReadable(int fd, int stopFd, int limitMs) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
    return poll(fds, 2, limitMs) > 0 && (fds[1].revents & POLLIN) == 0 && (fds[0].revents != 0);
}

std::string HeaderValue(const std::string& head, const std::string& name) {
    const std::size_t at = head.find("\r\n" + name + ": ");
    if (at == std::string::npos) return {};
    const std::size_t start = at + name.size() + 4;
    return head.substr(start, head.find("\r\n", start) - start);
}

void SendAll(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t count = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count <= 0) return;
        sent += static_cast<std::size_t>(count);
    }
}

}  // namespace

LoopbackSite::LoopbackSite() {
    listenFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listenFd, 64);
    socklen_t length = sizeof address;
    getsockname(listenFd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    stopFd = eventfd(0, EFD_CLOEXEC);
    acceptThread = std::thread([this] { Accept(); });
}

LoopbackSite::~LoopbackSite() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(stopFd, &one, sizeof one);
    acceptThread.join();
    for (std::thread& thread : connectionThreads) thread.join();
    close(listenFd);
    close(stopFd);
    ClearConnectTo();
}

void LoopbackSite::Accept() {
    for (;;) {
        pollfd fds[2] = {{listenFd, POLLIN, 0}, {stopFd, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 || (fds[1].revents & POLLIN) != 0) return;
        const int fd = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        std::lock_guard<std::mutex> lock(mutex);
        connectionThreads.emplace_back([this, fd] {
            Serve(fd);
            close(fd);
        });
    }
}

void LoopbackSite::Serve(int fd) {
    for (bool first = true;; first = false) {
        const ConnectionHabit habit = connectionHabit;
        std::string head;
        char chunk[4096];
        while (head.find("\r\n\r\n") == std::string::npos && head.size() < kHeadLimit) {
            const bool idle = head.empty() && !first && habit == ConnectionHabit::kCloseWhenIdle;
            if (!WaitReadable(fd, stopFd, idle ? kMomentMs : kReadLimitMs)) return;
            const ssize_t count = recv(fd, chunk, sizeof chunk, 0);
            if (count <= 0) return;
            head.append(chunk, static_cast<std::size_t>(count));
        }
        const std::size_t targetStart = head.find(' ') + 1;
        const std::string target = head.substr(targetStart, head.find(' ', targetStart) - targetStart);
        const std::string response = Answer("http://" + HeaderValue(head, "Host") + target);
        if (response.empty()) return;
        SendAll(fd, response);
        if (habit == ConnectionHabit::kCloseEach) return;
    }
}

std::string LoopbackSite::Answer(const std::string& url) {
    std::unique_lock<std::mutex> lock(mutex);
    ++requestCounts[url];
    requestTimes.push_back(std::chrono::steady_clock::now());
    changed.notify_all();
    for (const std::string& prefix : hangPrefixes) {
        if (url.rfind(prefix, 0) != 0) continue;
        ++hanging;
        changed.notify_all();
        changed.wait(lock, [this] { return stopping; });
        --hanging;
        return {};
    }
    for (const auto& [prefix, delay] : delays) {
        if (url.rfind(prefix, 0) == 0) changed.wait_for(lock, delay, [this] { return stopping; });
    }
    std::optional<std::string> body;
    if (const auto page = pages.find(url); page != pages.end()) {
        body = page->second;
    } else if (pageFunction) {
        body = pageFunction(url);
    }
    const std::string framing = connectionHabit == ConnectionHabit::kCloseEach
                                    ? "Connection: close\r\n"
                                    : "Content-Length: " + std::to_string(body ? body->size() : 0) + "\r\n";
    if (!body) return "HTTP/1.1 404 Not Found\r\n" + framing + "\r\n";
    const auto type = contentTypes.find(url);
    return "HTTP/1.1 200 OK\r\nContent-Type: " +
           (type != contentTypes.end() ? type->second : std::string("text/html; charset=gbk")) + "\r\n" +
           framing + "\r\n" + *body;
}

void LoopbackSite::AddPage(const std::string& url, std::string body) {
    std::lock_guard<std::mutex> lock(mutex);
    pages[url] = std::move(body);
}

void LoopbackSite::SetContentType(const std::string& url, std::string type) {
    std::lock_guard<std::mutex> lock(mutex);
    contentTypes[url] = std::move(type);
}

void LoopbackSite::SetPageFunction(PageFunction function) {
    std::lock_guard<std::mutex> lock(mutex);
    pageFunction = std::move(function);
}

void LoopbackSite::Hang(const std::string& urlPrefix) {
    std::lock_guard<std::mutex> lock(mutex);
    hangPrefixes.push_back(urlPrefix);
}

void LoopbackSite::Delay(const std::string& urlPrefix, std::chrono::milliseconds delay) {
    std::lock_guard<std::mutex> lock(mutex);
    delays.emplace_back(urlPrefix, delay);
}

void LoopbackSite::Route(const std::vector<std::string>& hosts) {
    for (const std::string& host : hosts) AddConnectTo(host + ":80:127.0.0.1:" + std::to_string(port));
}

int LoopbackSite::RequestsFor(const std::string& url) const {
    std::lock_guard<std::mutex> lock(mutex);
    const auto found = requestCounts.find(url);
    return found == requestCounts.end() ? 0 : found->second;
}

int LoopbackSite::ConnectionCount() const {
    std::lock_guard<std::mutex> lock(mutex);
    return static_cast<int>(connectionThreads.size());
}

int LoopbackSite::TotalRequests() const {
    std::lock_guard<std::mutex> lock(mutex);
    return static_cast<int>(requestTimes.size());
}

std::vector<std::chrono::steady_clock::time_point> LoopbackSite::RequestTimes() const {
    std::lock_guard<std::mutex> lock(mutex);
    return requestTimes;
}

bool LoopbackSite::WaitForHanging(int count, std::chrono::milliseconds limit) const {
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, limit, [&] { return hanging >= count; });
}
