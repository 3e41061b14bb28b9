#include "tools/demo-directory/demo_raw_reply.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

constexpr std::size_t kChunkSize = 1000;
constexpr auto kKeepOpenLimit = std::chrono::seconds(60);
constexpr int kPollMilliseconds = 100;

std::string Chunked(const std::string& body, bool zeroPadded) {
    std::string chunked;
    char sizeLine[32];
    for (std::size_t at = 0; at < body.size(); at += kChunkSize) {
        const std::size_t length = std::min(kChunkSize, body.size() - at);
        std::snprintf(sizeLine, sizeof sizeLine, zeroPadded ? "%08zx\r\n" : "%zx\r\n", length);
        chunked += sizeLine + body.substr(at, length) + "\r\n";
    }
    return chunked + (zeroPadded ? "00000000\r\n\r\n" : "0\r\n\r\n");
}

std::string RawResponse(DemoFault fault, const DemoWireBody& wire, const std::string& location) {
    const bool lowerCase = fault == DemoFault::LowerCaseHeaders || fault == DemoFault::EscapeLocation;
    const std::string lineEnd = fault == DemoFault::BareLineFeeds ? "\n" : "\r\n";
    const auto header = [&](const char* upper, const char* lower, const std::string& value) {
        return std::string(lowerCase ? lower : upper) + ": " + value + lineEnd;
    };
    std::string response;
    if (fault == DemoFault::Continue) response = "HTTP/1.1 100 Continue\r\n\r\n";
    if (fault == DemoFault::EscapeLocation) {
        return "HTTP/1.1 302 Found" + lineEnd + header("Location", "location", location) +
               header("Content-Length", "content-length", "0") + lineEnd;
    }
    response += "HTTP/1.1 200 OK" + lineEnd + header("Content-Type", "content-type", wire.contentType);
    if (!wire.contentEncoding.empty())
        response += header("Content-Encoding", "content-encoding", wire.contentEncoding);
    const bool chunked = fault == DemoFault::LowerCaseHeaders || fault == DemoFault::ZeroPaddedChunks;
    if (chunked) {
        response += header("Transfer-Encoding", "transfer-encoding", "chunked");
    } else {
        response += header("Content-Length", "content-length", std::to_string(wire.body.size()));
    }
    if (fault != DemoFault::KeepOpen) response += header("Connection", "connection", "close");
    response += lineEnd;
    if (fault == DemoFault::CutShort) return response + wire.body.substr(0, wire.body.size() / 2);
    return response + (chunked ? Chunked(wire.body, fault == DemoFault::ZeroPaddedChunks) : wire.body);
}

bool SendAll(int socket, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t sent = send(socket, data, size, MSG_NOSIGNAL);
        if (sent <= 0) return false;
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

// Waits until the client closes its end (or sends anything), the limit passes or the server stops.
void WaitForClientToClose(int socket, const std::atomic<bool>& running) {
    const auto deadline = std::chrono::steady_clock::now() + kKeepOpenLimit;
    while (running && std::chrono::steady_clock::now() < deadline) {
        pollfd watch{socket, POLLIN | POLLRDHUP, 0};
        if (poll(&watch, 1, kPollMilliseconds) != 0) return;
    }
}

}  // namespace

void SendRawReply(int socket, DemoFault fault, const DemoWireBody& wire, const std::string& location,
                  const DemoFaults& timing, const std::atomic<bool>& running) {
    const std::string response = RawResponse(fault, wire, location);
    if (fault == DemoFault::Trickle) {
        for (std::size_t at = 0; at < response.size() && running; ++at) {
            if (!SendAll(socket, response.data() + at, 1)) break;
            std::this_thread::sleep_for(timing.trickleInterval);
        }
    } else if (SendAll(socket, response.data(), response.size()) && fault == DemoFault::KeepOpen) {
        WaitForClientToClose(socket, running);
    }
    shutdown(socket, SHUT_RDWR);
}
