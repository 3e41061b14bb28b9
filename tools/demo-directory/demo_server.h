#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <string>

#include "tools/certificates/certificate_authority.h"
#include "tools/demo-directory/demo_session.h"
#include "tools/demo-directory/demo_site.h"
#include "tools/demo-directory/demo_wire.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

// The demo directory on loopback: one HTTP server that answers every host name of the site by
// the request's Host header, so that a client's connect-to map can send them all to it. With
// certificates it serves HTTPS (and options.https must be set, so that its links say so).
class DemoServer {
public:
    explicit DemoServer(DemoSite& site, const DemoWireOptions& options = {},
                        const CertificateAuthority::Issued* identity = nullptr);
    ~DemoServer();
    DemoServer(const DemoServer&) = delete;
    DemoServer& operator=(const DemoServer&) = delete;

    // Binds 127.0.0.1 on the port (0 picks a free one); the port bound, or -1.
    int Bind(int port);
    // Serves until Stop; call after Bind.
    void Serve();
    // From any thread.
    void Stop();

    // The slow-start fault waits this long before the response.
    void SetSlowStart(std::chrono::milliseconds delay) { slowStart = delay; }
    // One line per request on standard error: host, target, status, "connection" and the number
    // of the connection it came on (connections are numbered from 1 as they are accepted), and
    // "resumed" when that connection resumed an earlier TLS session.
    void EnableRequestLog();
    // Every page asks for a session cookie first (see DemoSession); call before Serve.
    void RequireSessionCookie(uint64_t seed) { session = std::make_unique<DemoSession>(seed); }

private:
    void Answer(const httplib::Request& request, httplib::Response& response);

    DemoSite& site;
    DemoWireOptions wireOptions;
    std::unique_ptr<httplib::Server> server;
    std::atomic<bool> running{true};
    std::chrono::milliseconds slowStart{1500};
    std::unique_ptr<DemoSession> session;  // null: no cookie required
};
