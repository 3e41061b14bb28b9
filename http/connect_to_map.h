#pragma once

#include <string>

// Process-wide connection redirection in the manner of curl's --connect-to: a request for a
// matching host and port is connected to another host and port, while its request line and
// Host line stay those of the URL. Not used for requests that go through a proxy. Safe to use
// from any thread.

// Adds one rule "HOST1:PORT1:HOST2:PORT2"; an IPv6 host stands in brackets ("[::1]"). An empty
// HOST1 or PORT1 matches any host or port; an empty HOST2 or PORT2 keeps the requested one. Hosts
// compare as a URL writes them (without regard to ASCII case, an address in any of its forms).
// Rules are tried in the order they were added. False (and nothing added) when the text is not
// four fields joined by ":", a host is none a URL may name, or a port is not a number from 1 to
// 65535.
bool AddConnectTo(const std::string& text);

// Removes every rule.
void ClearConnectTo();

// Where a request for the host and port really connects: the first matching rule's target, or
// the host and port themselves.
struct ConnectTarget {
    std::string host;
    int port = 0;
};
ConnectTarget ResolveConnectTo(const std::string& host, int port);
