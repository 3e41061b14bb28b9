#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;

// TLS over a connected non-blocking socket, driven step by step: every step either finishes or
// says what the socket must become before it is tried again, so that the caller keeps control of
// every wait. Writing to a connection the peer has closed fails instead of raising SIGPIPE.
class TlsStream {
public:
    enum class Step { kDone, kWantRead, kWantWrite, kClosed, kFailed };

    TlsStream() = default;
    ~TlsStream();
    TlsStream(const TlsStream&) = delete;
    TlsStream& operator=(const TlsStream&) = delete;

    // Prepares the session for the host: SNI for names, the certificate checked against the
    // host (a DNS name or an IP address), a session of an earlier connection to the host and port
    // offered for resumption. False, with the reason in `problem`, when TLS cannot be set up at all.
    bool Begin(int socketFd, const std::string& host, int port, std::string& problem);
    // On kFailed, `problem` says what was wrong, naming the certificate's fault when it was refused.
    Step Handshake(std::string& problem);
    Step Write(std::string_view bytes, std::size_t& written);
    Step Read(char* into, std::size_t capacity, std::size_t& received);
    // Whether decrypted bytes wait to be read without the socket becoming readable.
    bool HasPending() const;
    // For an idle connection whose socket turned readable: reads what came without waiting.
    // kWantRead when it was no data (a session ticket), kDone when data came unasked, kClosed
    // when the peer closed.
    Step PeekIdle();
    // Sends close_notify when the session is healthy (so that it stays fit for resumption), then
    // frees it.
    void End();

private:
    Step StepFor(int result);
    // The step of an SSL_read or SSL_write that gave `result`, the bytes it moved in `moved`.
    Step Moved(int result, std::size_t& moved);

    std::shared_ptr<SSL_CTX> context;
    SSL* session = nullptr;
    std::string place;         // "host:port", under which the sessions it receives are kept
    bool established = false;  // the handshake is done
    bool broken = false;       // a fatal error ended the session
};
