#include "http/proxy_tunnel.h"

#include "http/response_parser.h"

namespace {

// A proxy's answer to CONNECT is a few lines; more than this is no answer.
constexpr std::size_t kLongestProxyHead = 16 * 1024;
constexpr int kFirstSuccess = 200;
constexpr int kFirstNonSuccess = 300;

}  // namespace

SocketStatus OpenProxyTunnel(SocketConnection& connection, const std::string& host, int port,
                             std::chrono::milliseconds readLimit, int& proxyStatus) {
    proxyStatus = 0;
    const std::string authority = host + ":" + std::to_string(port);
    const SocketStatus sent =
        connection.SendAll("CONNECT " + authority + " HTTP/1.1\r\nHost: " + authority + "\r\n\r\n");
    if (sent != SocketStatus::kDone) return sent;

    // Read byte by byte: whatever follows the proxy's blank line belongs to the tunnel.
    std::string head;
    while (head.size() < kLongestProxyHead) {
        char byte = 0;
        std::size_t received = 0;
        const SocketStatus status = connection.Receive(&byte, 1, received, readLimit);
        if (status == SocketStatus::kClosed) return SocketStatus::kFailed;
        if (status != SocketStatus::kDone) return status;
        head.push_back(byte);
        if (byte != '\n' || FindBodyStart(head) == std::string::npos) continue;
        ParsedResponse answer;
        ParseResponse(head, answer);
        if (IsInterimStatus(answer.statusCode)) {
            head.clear();
            continue;
        }
        proxyStatus = answer.statusCode;
        return proxyStatus >= kFirstSuccess && proxyStatus < kFirstNonSuccess ? SocketStatus::kDone
                                                                              : SocketStatus::kFailed;
    }
    return SocketStatus::kFailed;
}
