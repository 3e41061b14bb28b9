#include "http/tls_stream.h"

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <sys/socket.h>

#include <cerrno>

#include "http/tls_session_cache.h"
#include "http/tls_trust.h"

namespace {

// Socket reads and writes for OpenSSL that never raise SIGPIPE: OpenSSL's own socket BIO writes
// with write(2).
int SendWithoutSignal(BIO* bio, const char* data, int length) {
    BIO_clear_retry_flags(bio);
    const ssize_t sent = send(static_cast<int>(BIO_get_fd(bio, nullptr)), data,
                              static_cast<std::size_t>(length), MSG_NOSIGNAL);
    if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) BIO_set_retry_write(bio);
    return static_cast<int>(sent);
}

int ReceiveFromSocket(BIO* bio, char* data, int length) {
    BIO_clear_retry_flags(bio);
    const ssize_t received =
        recv(static_cast<int>(BIO_get_fd(bio, nullptr)), data, static_cast<std::size_t>(length), 0);
    if (received < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) BIO_set_retry_read(bio);
    return static_cast<int>(received);
}

BIO_METHOD* SocketMethod() {
    static BIO_METHOD* method = [] {
        BIO_METHOD* made =
            BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK | BIO_TYPE_DESCRIPTOR, "harvio socket");
        const BIO_METHOD* socket = BIO_s_socket();
        BIO_meth_set_write(made, SendWithoutSignal);
        BIO_meth_set_read(made, ReceiveFromSocket);
        BIO_meth_set_ctrl(made, BIO_meth_get_ctrl(socket));
        BIO_meth_set_create(made, BIO_meth_get_create(socket));
        BIO_meth_set_destroy(made, BIO_meth_get_destroy(socket));
        return made;
    }();
    return method;
}

bool IsIpAddress(const std::string& host) {
    unsigned char address[sizeof(in6_addr)];
    return inet_pton(AF_INET, host.c_str(), address) == 1 || inet_pton(AF_INET6, host.c_str(), address) == 1;
}

std::string ErrorQueueText() {
    const unsigned long error = ERR_get_error();
    ERR_clear_error();
    if (error == 0) return "connection closed during the handshake";
    const char* reason = ERR_reason_error_string(error);
    return reason != nullptr ? reason : "unknown TLS error";
}

}  // namespace

TlsStream::~TlsStream() {
    End();
}

void TlsStream::End() {
    // A connection freed without close_notify has its session marked unfit for resumption, as
    // one cut off by an attacker would be; a healthy one says goodbye without waiting for the answer.
    if (session != nullptr && established && !broken) {
        SSL_shutdown(session);
        ERR_clear_error();
    }
    if (session != nullptr) SSL_free(session);
    session = nullptr;
    established = false;
    broken = false;
    context.reset();
}

bool TlsStream::Begin(int socketFd, const std::string& hostText, int port, std::string& problem) {
    End();
    context = AcquireTlsContext(problem);
    if (!context) return false;
    session = SSL_new(context.get());
    BIO* bio = session != nullptr ? BIO_new(SocketMethod()) : nullptr;
    if (bio == nullptr) {
        problem = "TLS set-up failed";
        return false;
    }
    BIO_set_fd(bio, socketFd, BIO_NOCLOSE);
    SSL_set_bio(session, bio, bio);
    // A bracketed IPv6 literal is checked and sent without its brackets.
    std::string host = hostText;
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    if (IsIpAddress(host)) {
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(session), host.c_str());
    } else {
        SSL_set_tlsext_host_name(session, host.c_str());
        SSL_set_hostflags(session, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        SSL_set1_host(session, host.c_str());
    }
    place = hostText + ":" + std::to_string(port);
    TlsSessionCache::Prepare(session, &place);
    SSL_set_connect_state(session);
    return true;
}

TlsStream::Step TlsStream::StepFor(int result) {
    switch (SSL_get_error(session, result)) {
        case SSL_ERROR_WANT_READ:
            return Step::kWantRead;
        case SSL_ERROR_WANT_WRITE:
            return Step::kWantWrite;
        case SSL_ERROR_ZERO_RETURN:
            return Step::kClosed;
        default:
            broken = true;
            return Step::kFailed;
    }
}

TlsStream::Step TlsStream::Handshake(std::string& problem) {
    const int result = SSL_do_handshake(session);
    established = result == 1;
    if (established) return Step::kDone;
    const Step step = StepFor(result);
    if (step == Step::kWantRead || step == Step::kWantWrite) return step;
    const long verified = SSL_get_verify_result(session);
    if (verified != X509_V_OK) {
        ERR_clear_error();
        problem = std::string("certificate refused: ") + X509_verify_cert_error_string(verified);
    } else {
        problem = "TLS handshake failed: " + ErrorQueueText();
    }
    return Step::kFailed;
}

TlsStream::Step TlsStream::Moved(int result, std::size_t& moved) {
    moved = result > 0 ? static_cast<std::size_t>(result) : 0;
    if (result > 0) return Step::kDone;
    const Step step = StepFor(result);
    ERR_clear_error();
    return step;
}

TlsStream::Step TlsStream::Write(std::string_view bytes, std::size_t& written) {
    const Step step = Moved(SSL_write(session, bytes.data(), static_cast<int>(bytes.size())), written);
    return step == Step::kClosed ? Step::kFailed : step;
}

TlsStream::Step TlsStream::Read(char* into, std::size_t capacity, std::size_t& received) {
    const Step step = Moved(SSL_read(session, into, static_cast<int>(capacity)), received);
    // A broken stream ends the response as a close does; the body's framing tells a cut one.
    return step == Step::kFailed ? Step::kClosed : step;
}

TlsStream::Step TlsStream::PeekIdle() {
    char byte = 0;
    std::size_t peeked = 0;
    const Step step = Moved(SSL_peek(session, &byte, 1), peeked);
    return step == Step::kFailed ? Step::kClosed : step;
}

bool TlsStream::HasPending() const {
    return session != nullptr && SSL_pending(session) > 0;
}
