#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

class ScriptedServer;
typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;

// How a ScriptedServer listens: on 127.0.0.1 or ::1, plain or with TLS (a PEM certificate and
// key, e.g. from TestCa; `highestTlsVersion` 0 allows every version OpenSSL offers).
struct ServerOptions {
    bool ipv6 = false;
    std::string certificatePem;
    std::string keyPem;
    int highestTlsVersion = 0;
};

// One accepted connection of a ScriptedServer, handed to the script. Every wait is bounded and
// ends early when the server stops.
class ScriptedConnection {
public:
    ScriptedConnection(ScriptedServer& server, int fd, int stopFd, SSL* tls);

    // Reads one request: the header block and, when it names a Content-Length, that many body
    // bytes. Records and returns what arrived (possibly less when the client gave up); empty when
    // the client closed the connection or sent nothing.
    std::string ReadRequest();
    void Send(std::string_view bytes);
    // Sends the bytes in pieces of `pieceSize`, pausing between them, so that the client meets
    // the data at many read boundaries.
    void SendInPieces(std::string_view bytes, std::size_t pieceSize,
                      std::chrono::milliseconds pause = std::chrono::milliseconds(1));
    // Keeps the connection open without sending until the server stops or the limit passes.
    void StaySilent(std::chrono::milliseconds limit = std::chrono::seconds(20));

private:
    bool WaitReadable(int limitMs) const;
    long ReceiveSome(char* into, std::size_t capacity);

    ScriptedServer& server;
    int fd;
    int stopFd;
    SSL* tls;
};

// A raw HTTP server on 127.0.0.1 (or ::1) and a free port that serves connections one after the
// other with a script of the test, and records each request's exact bytes (and, with TLS, the
// server name each client asked for). Stopped and joined when it goes.
class ScriptedServer {
public:
    using Script = std::function<void(ScriptedConnection& connection, int connectionIndex)>;

    explicit ScriptedServer(Script script, ServerOptions options = {});
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    int Port() const { return port; }
    // "http://127.0.0.1:<port>/" (https, [::1] as the server listens) followed by the path.
    std::string Url(std::string_view path = "") const;
    std::vector<std::string> Requests() const;
    // The SNI names of the TLS connections, "" for a client that sent none.
    std::vector<std::string> ServerNames() const;
    // Whether each TLS connection resumed an earlier session, in the order they came.
    std::vector<bool> ResumedSessions() const;
    int ConnectionCount() const { return connections.load(); }
    void Stop();

    // Scripts for common answers: read the request, send the response (in pieces), close.
    static Script Answer(std::string response);
    static Script AnswerInPieces(std::string response, std::size_t pieceSize);
    // Answers every request of a connection with the response until the client closes it, as a
    // server that keeps connections alive does.
    static Script AnswerEachRequest(std::string response);

private:
    friend class ScriptedConnection;
    void Serve();
    void Record(std::string request);
    SSL_CTX* NewTlsContext() const;
    // The TLS handshake of an accepted connection; null when it failed.
    SSL* AcceptTls(int fd);

    Script script;
    ServerOptions options;
    SSL_CTX* tlsContext = nullptr;
    int listenFd = -1;
    int stopFd = -1;
    int port = 0;
    std::atomic<int> connections{0};
    mutable std::mutex requestsMutex;
    std::vector<std::string> requests;
    std::vector<std::string> serverNames;
    std::vector<bool> resumedSessions;
    std::thread thread;
};
