#include "tools/demo-directory/demo_server.h"

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <thread>

#include "tools/demo-directory/demo_raw_reply.h"

namespace {

constexpr std::size_t kChunkSize = 1000;  // several chunks per page, as a real server would send them
constexpr int kHighestSocketToSearch = 4096;
// Each connection holds a thread while it lasts, idle ones too: room for the connections that
// several clients keep open to the site's many hosts.
constexpr std::size_t kServingThreads = 64;
// Requests one connection may carry before the server closes it, as common servers allow.
constexpr std::size_t kRequestsPerConnection = 100;

// The connection the server's thread is serving: its number in the order connections came, and
// whether its TLS session was resumed.
thread_local unsigned servedConnection = 0;
thread_local bool servedResumed = false;

// Serves every accepted connection on a pool thread, numbering the connections as they come.
class NumberedConnections : public httplib::TaskQueue {
public:
    explicit NumberedConnections(std::size_t threads) : pool(threads) {}
    void enqueue(std::function<void()> serve) override {
        pool.enqueue([number = ++accepted, serve = std::move(serve)] {
            servedConnection = number;
            servedResumed = false;
            serve();
        });
    }
    void shutdown() override { pool.shutdown(); }

private:
    httplib::ThreadPool pool;
    unsigned accepted = 0;  // connections are accepted on one thread
};

void NoteResumedSession(const SSL* tls, int where, int) {
    if ((where & SSL_CB_HANDSHAKE_DONE) != 0) servedResumed = SSL_session_reused(tls) == 1;
}

std::string RequestHost(const httplib::Request& request) {
    std::string host = request.get_header_value("Host");
    std::size_t colon = host.find(':');
    if (colon != std::string::npos) host.resize(colon);
    std::transform(host.begin(), host.end(), host.begin(), [](unsigned char c) { return std::tolower(c); });
    return host;
}

int Port(const sockaddr_storage& address) {
    if (address.ss_family == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    if (address.ss_family == AF_INET6) return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    return -1;
}

// The library does not hand out the connection's socket; it is the one whose two ends are the
// request's local and remote ports.
int ConnectionSocket(const httplib::Request& request) {
    for (int fd = 0; fd < kHighestSocketToSearch; ++fd) {
        sockaddr_storage local{}, remote{};
        socklen_t localSize = sizeof local, remoteSize = sizeof remote;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localSize) != 0) continue;
        if (getpeername(fd, reinterpret_cast<sockaddr*>(&remote), &remoteSize) != 0) continue;
        if (Port(local) == request.local_port && Port(remote) == request.remote_port) return fd;
    }
    return -1;
}

// Drops the connection before any byte of the response: both directions shut, and a zero linger
// so that the library's close that follows sends a reset.
void DropConnection(const httplib::Request& request) {
    int fd = ConnectionSocket(request);
    if (fd < 0) return;
    linger abort{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    shutdown(fd, SHUT_RDWR);
}

}  // namespace

DemoServer::DemoServer(DemoSite& site, const DemoWireOptions& options, const CertificateAuthority::Issued* identity)
    : site(site), wireOptions(options) {
    if (identity != nullptr) {
        auto secure = std::make_unique<httplib::SSLServer>(identity->certificate.get(), identity->key.get());
        SSL_CTX_set_info_callback(secure->ssl_context(), NoteResumedSession);
        server = std::move(secure);
    } else {
        server = std::make_unique<httplib::Server>();
    }
    server->new_task_queue = [] { return new NumberedConnections(kServingThreads); };
    server->set_keep_alive_max_count(kRequestsPerConnection);
    server->Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        Answer(request, response);
    });
}

void DemoServer::Answer(const httplib::Request& request, httplib::Response& response) {
    // Without a valid session the page is not drawn at all, so that its faults and retries
    // count only the requests that reach it.
    if (session && !session->Carries(request.get_header_value("Cookie"))) {
        response.status = 302;
        response.set_header("Location", request.target);
        response.set_header("Set-Cookie", session->NewSessionCookie(wireOptions.https));
        response.set_content("<html><body>A session begins.</body></html>", "text/html");
        return;
    }
    DemoReply reply = site.Answer(RequestHost(request), request.target);
    response.status = reply.status;
    const DemoWireBody wire = ToWire(wireOptions, reply.body);
    if (FaultWrittenByHand(reply.fault)) {
        const int socket = ConnectionSocket(request);
        if (socket >= 0) SendRawReply(socket, reply.fault, wire, reply.location, site.Faults(), running);
        return;
    }
    if (!wire.contentEncoding.empty()) response.set_header("Content-Encoding", wire.contentEncoding);
    switch (reply.fault) {
        case DemoFault::Reset:
            DropConnection(request);
            return;
        case DemoFault::SlowStart:
            std::this_thread::sleep_for(slowStart);
            break;
        case DemoFault::Redirect:
            response.set_header("Location", reply.location);
            break;
        case DemoFault::TooManyRequests:
        case DemoFault::Unavailable:
            response.set_header("Retry-After", std::to_string(site.Faults().retryAfterSeconds));
            break;
        case DemoFault::Chunked: {
            auto body = std::make_shared<std::string>(wire.body);
            response.set_chunked_content_provider(wire.contentType, [body](std::size_t offset, httplib::DataSink& sink) {
                if (offset >= body->size()) {
                    sink.done();
                    return true;
                }
                std::size_t length = std::min(kChunkSize, body->size() - offset);
                return sink.write(body->data() + offset, length);
            });
            return;
        }
        case DemoFault::Truncated: {
            auto body = std::make_shared<std::string>(wire.body);
            std::size_t sent = WireCutOffset(wireOptions, reply.body, reply.truncateAt);
            response.set_content_provider(body->size(), wire.contentType,
                                          [body, sent](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                              if (offset < sent) sink.write(body->data() + offset, sent - offset);
                                              return false;  // the connection closes mid-body
                                          });
            return;
        }
        default:
            break;
    }
    response.set_content(wire.body, wire.contentType);
}

DemoServer::~DemoServer() = default;

int DemoServer::Bind(int port) {
    if (port == 0) return server->bind_to_any_port("127.0.0.1");
    return server->bind_to_port("127.0.0.1", port) ? port : -1;
}

void DemoServer::EnableRequestLog() {
    server->set_logger([](const httplib::Request& request, const httplib::Response& response) {
        std::fprintf(stderr, "%s %s %d connection %u%s\n", request.get_header_value("Host").c_str(),
                     request.target.c_str(), response.status, servedConnection, servedResumed ? " resumed" : "");
    });
}

void DemoServer::Serve() {
    server->listen_after_bind();
}

void DemoServer::Stop() {
    running = false;
    server->stop();
}
