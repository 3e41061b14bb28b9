#pragma once

#include <string>
#include <thread>  // the duration types; the full <chrono> cannot be compiled to GBK

#include "http/socket_connection.h"

// Asks the proxy at the other end of the connection for a tunnel to host:port with CONNECT.
// kDone once the proxy answered 2xx; kFailed when it answered otherwise (its status in
// `proxyStatus`, 0 when its answer was no HTTP head); waits and their ends as the connection's.
SocketStatus OpenProxyTunnel(SocketConnection& connection, const std::string& host, int port,
                             std::chrono::milliseconds readLimit, int& proxyStatus);
