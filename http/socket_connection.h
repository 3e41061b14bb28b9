#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <thread>  // the duration types; the full <chrono> cannot be compiled to GBK

#include "http/tls_stream.h"

class HostLookupCache;

// How a socket step ended.
enum class SocketStatus {
    kDone,       // the step succeeded
    kFailed,     // the system refused it (or the host could not be looked up)
    kNoSocket,   // the system gave no socket
    kCancelled,  // the wake descriptor became readable first
    kTimedOut,   // the time limit passed first
    kClosed,     // the peer ended the stream (or it broke)
};

// One TCP connection over IPv4 or IPv6, plain or with TLS, closed at the latest when the object
// goes. Every wait also watches the wake descriptor (when given), so that another thread can
// abort it at once, and ends at the deadline of the exchange under way. Writing to a connection
// the peer has closed fails instead of raising SIGPIPE.
class SocketConnection {
public:
    using Clock = std::chrono::steady_clock;

    SocketConnection(int wakeFd, Clock::time_point deadline);
    ~SocketConnection();
    SocketConnection(const SocketConnection&) = delete;
    SocketConnection& operator=(const SocketConnection&) = delete;

    // For the next exchange on a kept connection: its wake descriptor and deadline.
    void Renew(int newWakeFd, Clock::time_point newDeadline);
    // Looks the host up (a name, a dotted address or an IPv6 literal) through the cache and
    // connects to its addresses in order until one takes the connection. kFailed also when the
    // host cannot be resolved.
    SocketStatus Connect(const std::string& host, int port, HostLookupCache& lookups);
    // TLS from here on, the certificate checked for the host, a session of an earlier connection
    // to the host and port resumed when the server agrees. On kFailed `problem` says why.
    SocketStatus StartTls(const std::string& host, int port, std::chrono::milliseconds stepLimit,
                          std::string& problem);
    // Whether an idle connection may carry another request, as far as can be seen without
    // waiting: the peer has not closed it and has sent nothing unasked.
    bool LooksOpen();
    SocketStatus SendAll(std::string_view bytes);
    SocketStatus WaitReadable(std::chrono::milliseconds limit);
    // Waits at most `limit` for bytes and reads at most `capacity` of them; kClosed at the end
    // of the stream.
    SocketStatus Receive(char* into, std::size_t capacity, std::size_t& received,
                         std::chrono::milliseconds limit);
    void Close();

private:
    // Waits for the events on the socket, at most `limitMs` and never past the deadline; a
    // negative limit waits until the deadline.
    SocketStatus Wait(short events, int limitMs);
    SocketStatus ConnectTo(const struct SocketAddress& address);
    // Waits as the TLS step asks; kDone when the step may be tried again.
    SocketStatus WaitForTls(TlsStream::Step step, int limitMs);

    int socketFd = -1;
    int wakeFd;
    Clock::time_point deadline;
    TlsStream tls;
    bool secure = false;
};
