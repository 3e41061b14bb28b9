#pragma once

#include <sys/socket.h>

#include <string>
#include <thread>  // the duration types; the full <chrono> cannot be compiled to GBK
#include <vector>

// One address to connect to, IPv4 or IPv6, port included.
struct SocketAddress {
    sockaddr_storage storage{};
    socklen_t length = 0;
};

enum class LookupStatus { kFound, kNotFound, kCancelled, kTimedOut };

// The addresses of a host: an IPv4 address (also the short forms inet_addr reads) or an IPv6
// literal, bracketed or not, at once; a name through c-ares (hosts file, then DNS), IPv4 and
// IPv6 addresses in the order the lookup gives them. The lookup's waits end as soon as `wakeFd`
// turns readable (kCancelled), so that a stop never waits for a name server, and at the deadline.
// `timeToLive` is the shortest one of the answer's records (0 for a literal or the hosts file).
LookupStatus LookUpHost(const std::string& host, int port, int wakeFd,
                        std::chrono::steady_clock::time_point deadline, std::vector<SocketAddress>& addresses,
                        std::chrono::seconds& timeToLive);

// Sets the port of an IPv4 or IPv6 address.
void SetPort(SocketAddress& address, int port);

// The name servers of every later lookup, "IP[:PORT]" joined by ","; empty: the system's. Lets
// tests point lookups at a server of their own.
void SetNameServersForTesting(const std::string& servers);
