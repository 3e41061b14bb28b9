#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// A directory site on 127.0.0.1 for tests: pages by full address ("http://" + Host header +
// request target), host names routed to it with connect-to rules. Addresses can be made to
// hang (no answer until the site stops). Every connection has its own thread, so that several
// requests hang at once. Stops and joins by itself.
class LoopbackSite {
public:
    // What the site does with a connection after a response.
    enum class ConnectionHabit {
        kCloseEach,      // answers "Connection: close" and closes it
        kKeepAlive,      // keeps it for further requests until the client closes it
        kCloseWhenIdle,  // keeps it without a word, but closes it once it is idle for a moment
    };

    using PageFunction = std::function<std::optional<std::string>(const std::string& url)>;

    LoopbackSite();
    ~LoopbackSite();
    LoopbackSite(const LoopbackSite&) = delete;
    LoopbackSite& operator=(const LoopbackSite&) = delete;

    int Port() const { return port; }
    void AddPage(const std::string& url, std::string body);
    // Served as this media type instead of GBK HTML.
    void SetContentType(const std::string& url, std::string type);
    // Asked for addresses without a page of their own; none gives 404.
    void SetPageFunction(PageFunction function);
    // Requests for addresses beginning with prefix get no answer until the site stops.
    void Hang(const std::string& urlPrefix);
    // Requests for addresses beginning with prefix are answered after the delay.
    void Delay(const std::string& urlPrefix, std::chrono::milliseconds delay);
    // Connects requests for these host names (port 80) to this site.
    void Route(const std::vector<std::string>& hosts);
    void SetConnectionHabit(ConnectionHabit habit) { connectionHabit = habit; }

    int RequestsFor(const std::string& url) const;
    int TotalRequests() const;
    int ConnectionCount() const;
    std::vector<std::chrono::steady_clock::time_point> RequestTimes() const;
    // Waits (at most limit) until `count` requests hang; false on time-out.
    bool WaitForHanging(int count, std::chrono::milliseconds limit) const;

private:
    void Accept();
    void Serve(int fd);
    // The response to the request's URL; empty when the site stopped before it was answered.
    std::string Answer(const std::string& url);

    std::atomic<ConnectionHabit> connectionHabit{ConnectionHabit::kCloseEach};
    int listenFd = -1;
    int stopFd = -1;
    int port = 0;
    std::thread acceptThread;

    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::vector<std::thread> connectionThreads;
    std::map<std::string, std::string> pages;
    std::map<std::string, std::string> contentTypes;
    PageFunction pageFunction;
    std::vector<std::string> hangPrefixes;
    std::vector<std::pair<std::string, std::chrono::milliseconds>> delays;
    std::map<std::string, int> requestCounts;
    std::vector<std::chrono::steady_clock::time_point> requestTimes;
    int hanging = 0;
    bool stopping = false;
};
