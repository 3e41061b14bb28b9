#include "support/scripted_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

namespace {

// No script waits longer for the client than this; a hung client fails its test, not the run.
constexpr int kReadLimitMs = 5000;

// Waits for the descriptor to become readable; false when the server stops or time runs out.
bool WaitReadable(int fd, int stopFd, int limitMs) {
    pollfd watched[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
    const int ready = poll(watched, 2, limitMs);
    return ready > 0 && watched[1].revents == 0 && watched[0].revents != 0;
}

std::size_t ContentLength(std::string_view headers) {
    const std::string_view name = "Content-Length: ";
    const std::size_t at = headers.find(name);
    if (at == std::string_view::npos) return 0;
    return std::strtoul(std::string(headers.substr(at + name.size())).c_str(), nullptr, 10);
}

}  // namespace

ScriptedConnection::ScriptedConnection(ScriptedServer& server, int fd, int stopFd)
    : server(server), fd(fd), stopFd(stopFd) {}

std::string ScriptedConnection::ReadRequest() {
    std::string request;
    std::size_t wanted = std::string::npos;  // known once the header block is complete
    while (request.size() < wanted && WaitReadable(fd, stopFd, kReadLimitMs)) {
        char chunk[4096];
        const ssize_t count = recv(fd, chunk, sizeof chunk, 0);
        if (count <= 0) break;
        request.append(chunk, static_cast<std::size_t>(count));
        const std::size_t headerEnd = request.find("\r\n\r\n");
        if (wanted == std::string::npos && headerEnd != std::string::npos) {
            wanted = headerEnd + 4 + ContentLength(std::string_view(request).substr(0, headerEnd));
        }
    }
    server.Record(request);
    return request;
}

void ScriptedConnection::Send(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) return;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
}

void ScriptedConnection::SendInPieces(std::string_view bytes, std::size_t pieceSize,
                                      std::chrono::milliseconds pause) {
    while (!bytes.empty()) {
        const std::size_t size = std::min(pieceSize, bytes.size());
        Send(bytes.substr(0, size));
        bytes.remove_prefix(size);
        if (!bytes.empty()) std::this_thread::sleep_for(pause);
    }
}

void ScriptedConnection::StaySilent(std::chrono::milliseconds limit) {
    pollfd watched[2] = {{fd, POLLRDHUP, 0}, {stopFd, POLLIN, 0}};
    poll(watched, 2, static_cast<int>(limit.count()));
}

ScriptedServer::ScriptedServer(Script script) : script(std::move(script)) {
    listenFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    stopFd = eventfd(0, EFD_CLOEXEC);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listenFd < 0 || stopFd < 0 ||
        bind(listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listenFd, SOMAXCONN) != 0 ||
        getsockname(listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("loopback test server could not listen");
    }
    port = ntohs(address.sin_port);
    thread = std::thread([this] { Serve(); });
}

ScriptedServer::~ScriptedServer() {
    Stop();
    close(listenFd);
    close(stopFd);
}

void ScriptedServer::Stop() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(stopFd, &one, sizeof one);
    if (thread.joinable()) thread.join();
}

std::string ScriptedServer::Url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port) + "/" + std::string(path);
}

std::vector<std::string> ScriptedServer::Requests() const {
    std::lock_guard<std::mutex> lock(requestsMutex);
    return requests;
}

void ScriptedServer::Record(std::string request) {
    std::lock_guard<std::mutex> lock(requestsMutex);
    requests.push_back(std::move(request));
}

void ScriptedServer::Serve() {
    pollfd watched[2] = {{listenFd, POLLIN, 0}, {stopFd, POLLIN, 0}};
    while (poll(watched, 2, -1) > 0 && watched[1].revents == 0) {
        const int fd = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        ScriptedConnection connection(*this, fd, stopFd);
        const int index = connections.fetch_add(1);
        script(connection, index);
        close(fd);
    }
}

ScriptedServer::Script ScriptedServer::Answer(std::string response) {
    return AnswerInPieces(std::move(response), std::string::npos);
}

ScriptedServer::Script ScriptedServer::AnswerInPieces(std::string response, std::size_t pieceSize) {
    return [response = std::move(response), pieceSize](ScriptedConnection& connection, int) {
        connection.ReadRequest();
        connection.SendInPieces(response, pieceSize);
    };
}
