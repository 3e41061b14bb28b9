#include "demo/support/raw_http.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

namespace {
constexpr int kReadTimeoutMs = 10000;
}

std::string RawResponse::Header(const std::string& name) const {
    std::string key = "\r\n" + name + ": ";
    std::size_t at = head.find(key);
    if (at == std::string::npos) return "";
    std::size_t start = at + key.size();
    return head.substr(start, head.find("\r\n", start) - start);
}

RawResponse RawGet(int port, const std::string& host, const std::string& target,
                   const std::string& extraLines) {
    RawResponse response;
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return response;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return response;
    }
    response.connected = true;
    std::string request =
        "GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\n" + extraLines + "Connection: close\r\n\r\n";
    if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) {
        close(fd);
        return response;
    }
    pollfd readable{fd, POLLIN, 0};
    while (poll(&readable, 1, kReadTimeoutMs) == 1) {
        char buffer[4096];
        ssize_t count = recv(fd, buffer, sizeof buffer, 0);
        if (count <= 0) break;  // closed, or reset
        response.raw.append(buffer, count);
    }
    close(fd);
    std::size_t blank = response.raw.find("\r\n\r\n");
    if (blank == std::string::npos) return response;
    response.head = response.raw.substr(0, blank);
    response.body = response.raw.substr(blank + 4);
    if (response.head.rfind("HTTP/1.", 0) == 0 && response.head.size() > 9) {
        response.status = std::atoi(response.head.c_str() + 9);
    }
    return response;
}
