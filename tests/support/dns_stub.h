#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <string>
#include <thread>
#include <vector>

// A DNS server on UDP 127.0.0.1 and a free port, for lookups pointed at it. It answers A and AAAA
// questions from its table (NXDOMAIN for names it lacks) or, made silent, never answers at all.
// Counts the questions that reached it. Stopped and joined when it goes.
class DnsStub {
public:
    // Name to addresses ("127.0.0.1", "::1"); the A answer holds the IPv4 ones, AAAA the IPv6 ones.
    using Table = std::map<std::string, std::vector<std::string>>;

    static DnsStub Silent() { return DnsStub(Table{}, true); }
    // Every record answered lives `timeToLive` seconds.
    explicit DnsStub(Table table, bool silent = false, std::uint32_t timeToLive = 60);
    ~DnsStub();
    DnsStub(DnsStub&&) = delete;

    // "127.0.0.1:PORT", the form lookups are pointed at.
    std::string Address() const;
    int Questions() const { return questions.load(); }

private:
    void Serve();
    std::string Answer(const std::string& query) const;

    Table table;
    bool silent;
    std::uint32_t timeToLive;
    int fd = -1;
    int stopFd = -1;
    int port = 0;
    std::atomic<int> questions{0};
    std::thread thread;
};
