#pragma once

#include <cstddef>
#include <deque>
#include <list>
#include <map>
#include <mutex>
#include <string>

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;
typedef struct ssl_session_st SSL_SESSION;

// The TLS sessions that earlier connections received, per host and port, offered to the next
// connection to the same place so that it resumes the session instead of making a full handshake:
// one round trip less under TLS 1.2, and no certificate to send and check under either version.
// A TLS 1.3 ticket is offered once, as RFC 8446 asks of clients; a TLS 1.2 session until it expires.
// The cache belongs to one client context and lives as long as it does: sessions made under one
// set of trusted CAs are never offered under another.
class TlsSessionCache {
public:
    static constexpr std::size_t kSessionsPerPlace = 4;  // one for each thread of a search
    static constexpr std::size_t kMostPlaces = 256;      // the places that stored a session last

    TlsSessionCache() = default;
    ~TlsSessionCache();
    TlsSessionCache(const TlsSessionCache&) = delete;
    TlsSessionCache& operator=(const TlsSessionCache&) = delete;

    // Makes the client context keep its connections' new sessions here.
    void Attach(SSL_CTX* context);
    // Before a connection's handshake: offers it a session of its place ("host:port") when the
    // cache of its context holds one, and files the sessions it receives under the place, which
    // must stay as long as the connection.
    static void Prepare(SSL* connection, const std::string* place);

private:
    static int NewSession(SSL* connection, SSL_SESSION* session);
    void Store(const std::string& place, SSL_SESSION* session);
    // A session for the place that may still be resumed, owned by the caller; null when none.
    SSL_SESSION* Take(const std::string& place);

    std::mutex mutex;
    std::map<std::string, std::deque<SSL_SESSION*>> sessions;  // the latest last
    std::list<std::string> places;                             // the latest to store first
};
