#include "support/scripted_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
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

ScriptedConnection::ScriptedConnection(ScriptedServer& server, int fd, int stopFd, SSL* tls)
    : server(server), fd(fd), stopFd(stopFd), tls(tls) {}

bool ScriptedConnection::WaitReadable(int limitMs) const {
    return (tls != nullptr && SSL_pending(tls) > 0) || ::WaitReadable(fd, stopFd, limitMs);
}

long ScriptedConnection::ReceiveSome(char* into, std::size_t capacity) {
    if (tls != nullptr) return SSL_read(tls, into, static_cast<int>(capacity));
    return recv(fd, into, capacity, 0);
}

std::string ScriptedConnection::ReadRequest() {
    std::string request;
    std::size_t wanted = std::string::npos;  // known once the header block is complete
    while (request.size() < wanted && WaitReadable(kReadLimitMs)) {
        char chunk[4096];
        const long count = ReceiveSome(chunk, sizeof chunk);
        if (count <= 0) break;
        request.append(chunk, static_cast<std::size_t>(count));
        const std::size_t headerEnd = request.find("\r\n\r\n");
        if (wanted == std::string::npos && headerEnd != std::string::npos) {
            wanted = headerEnd + 4 + ContentLength(std::string_view(request).substr(0, headerEnd));
        }
    }
    // A connection that ends before any byte carried no request.
    if (!request.empty()) server.Record(request);
    return request;
}

void ScriptedConnection::Send(std::string_view bytes) {
    while (!bytes.empty()) {
        const long sent = tls != nullptr ? SSL_write(tls, bytes.data(), static_cast<int>(bytes.size()))
                                         : send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
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

ScriptedServer::ScriptedServer(Script script, ServerOptions serverOptions)
    : script(std::move(script)), options(std::move(serverOptions)) {
    if (!options.certificatePem.empty()) tlsContext = NewTlsContext();
    listenFd = socket(options.ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    stopFd = eventfd(0, EFD_CLOEXEC);
    sockaddr_storage address{};
    socklen_t length = 0;
    if (options.ipv6) {
        auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
        v6->sin6_family = AF_INET6;
        v6->sin6_addr = in6addr_loopback;
        length = sizeof *v6;
    } else {
        auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
        v4->sin_family = AF_INET;
        v4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        length = sizeof *v4;
    }
    if (listenFd < 0 || stopFd < 0 || bind(listenFd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listenFd, SOMAXCONN) != 0 ||
        getsockname(listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("loopback test server could not listen");
    }
    port = ntohs(options.ipv6 ? reinterpret_cast<sockaddr_in6*>(&address)->sin6_port
                              : reinterpret_cast<sockaddr_in*>(&address)->sin_port);
    thread = std::thread([this] { Serve(); });
}

SSL_CTX* ScriptedServer::NewTlsContext() const {
    SSL_CTX* context = SSL_CTX_new(TLS_server_method());
    BIO* certificate =
        BIO_new_mem_buf(options.certificatePem.data(), static_cast<int>(options.certificatePem.size()));
    BIO* key = BIO_new_mem_buf(options.keyPem.data(), static_cast<int>(options.keyPem.size()));
    X509* leaf = PEM_read_bio_X509(certificate, nullptr, nullptr, nullptr);
    EVP_PKEY* privateKey = PEM_read_bio_PrivateKey(key, nullptr, nullptr, nullptr);
    const bool usable = leaf != nullptr && privateKey != nullptr &&
                        SSL_CTX_use_certificate(context, leaf) == 1 &&
                        SSL_CTX_use_PrivateKey(context, privateKey) == 1;
    X509_free(leaf);
    EVP_PKEY_free(privateKey);
    BIO_free(certificate);
    BIO_free(key);
    if (!usable) throw std::runtime_error("loopback test server has no usable certificate");
    if (options.highestTlsVersion != 0) SSL_CTX_set_max_proto_version(context, options.highestTlsVersion);
    return context;
}

ScriptedServer::~ScriptedServer() {
    Stop();
    close(listenFd);
    close(stopFd);
    if (tlsContext != nullptr) SSL_CTX_free(tlsContext);
}

void ScriptedServer::Stop() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(stopFd, &one, sizeof one);
    if (thread.joinable()) thread.join();
}

std::string ScriptedServer::Url(std::string_view path) const {
    return std::string(tlsContext != nullptr ? "https://" : "http://") +
           (options.ipv6 ? "[::1]:" : "127.0.0.1:") + std::to_string(port) + "/" + std::string(path);
}

std::vector<std::string> ScriptedServer::ServerNames() const {
    std::lock_guard<std::mutex> lock(requestsMutex);
    return serverNames;
}

std::vector<bool> ScriptedServer::ResumedSessions() const {
    std::lock_guard<std::mutex> lock(requestsMutex);
    return resumedSessions;
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
        SSL* tls = tlsContext != nullptr ? AcceptTls(fd) : nullptr;
        if (tlsContext != nullptr && tls == nullptr) {
            close(fd);  // the client refused the handshake (or gave up); the script never sees it
            continue;
        }
        ScriptedConnection connection(*this, fd, stopFd, tls);
        const int index = connections.fetch_add(1);
        script(connection, index);
        if (tls != nullptr) SSL_free(tls);
        close(fd);
    }
}

SSL* ScriptedServer::AcceptTls(int fd) {
    // A client that stalls in the handshake fails its test instead of hanging the server.
    const timeval limit{kReadLimitMs / 1000, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    SSL* tls = SSL_new(tlsContext);
    SSL_set_fd(tls, fd);
    if (SSL_accept(tls) != 1) {
        ERR_clear_error();
        SSL_free(tls);
        return nullptr;
    }
    const char* name = SSL_get_servername(tls, TLSEXT_NAMETYPE_host_name);
    std::lock_guard<std::mutex> lock(requestsMutex);
    serverNames.push_back(name != nullptr ? name : "");
    resumedSessions.push_back(SSL_session_reused(tls) == 1);
    return tls;
}

ScriptedServer::Script ScriptedServer::Answer(std::string response) {
    return AnswerInPieces(std::move(response), std::string::npos);
}

ScriptedServer::Script ScriptedServer::AnswerEachRequest(std::string response) {
    return [response = std::move(response)](ScriptedConnection& connection, int) {
        while (!connection.ReadRequest().empty()) connection.Send(response);
    };
}

ScriptedServer::Script ScriptedServer::AnswerInPieces(std::string response, std::size_t pieceSize) {
    return [response = std::move(response), pieceSize](ScriptedConnection& connection, int) {
        connection.ReadRequest();
        connection.SendInPieces(response, pieceSize);
    };
}
