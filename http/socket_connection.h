#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <thread>  // the duration types; the full <chrono> cannot be compiled to GBK

// How a socket step ended.
enum class SocketStatus {
    kDone,       // the step succeeded
    kFailed,     // the system refused it
    kCancelled,  // the wake descriptor became readable first
    kTimedOut,   // the time limit passed first
    kClosed,     // the peer ended the stream (or it broke)
};

// One TCP connection over IPv4, closed at the latest when the object goes. Every wait also
// watches the wake descriptor (when given), so that another thread can abort it at once.
// Writing to a connection the peer has closed fails instead of raising SIGPIPE.
class SocketConnection {
public:
    explicit SocketConnection(int wakeFd);
    ~SocketConnection();
    SocketConnection(const SocketConnection&) = delete;
    SocketConnection& operator=(const SocketConnection&) = delete;

    bool Create();
    // Looks the host up (name or dotted address, first IPv4 address) and connects; no time
    // limit of its own. kFailed also when the host cannot be resolved.
    SocketStatus Connect(const std::string& host, int port);
    SocketStatus SendAll(std::string_view bytes);
    SocketStatus WaitReadable(std::chrono::milliseconds limit);
    // Waits without limit for bytes and reads at most `capacity` of them; kClosed at the end of
    // the stream.
    SocketStatus Receive(char* into, std::size_t capacity, std::size_t& received);
    void Close();

private:
    // Waits for the events on the socket; a negative limit waits without end.
    SocketStatus Wait(short events, int limitMs);

    int socketFd = -1;
    int wakeFd;
};
