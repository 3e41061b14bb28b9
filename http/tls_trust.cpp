#include "http/tls_trust.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <cstdlib>
#include <mutex>

#include "http/tls_session_cache.h"

namespace {

// What the context was built from; a change of any part builds a new one.
struct TrustSource {
    std::string extraCaFile;
    std::string certFileVariable;
    std::string certDirVariable;
    bool operator==(const TrustSource&) const = default;
};

std::mutex trustMutex;
std::string extraCaFile;
TrustSource builtFrom;
std::shared_ptr<SSL_CTX> context;

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::shared_ptr<SSL_CTX> BuildContext(const TrustSource& source, std::string& problem) {
    // The sessions made under this trust go with the context, and only with it.
    auto sessions = std::make_shared<TlsSessionCache>();
    std::shared_ptr<SSL_CTX> built(SSL_CTX_new(TLS_client_method()),
                                   [sessions](SSL_CTX* context) { SSL_CTX_free(context); });
    if (!built) {
        problem = "TLS set-up failed";
        return nullptr;
    }
    SSL_CTX_set_min_proto_version(built.get(), TLS1_2_VERSION);
    SSL_CTX_set_max_proto_version(built.get(), TLS1_3_VERSION);
    SSL_CTX_set_verify(built.get(), SSL_VERIFY_PEER, nullptr);
    // Many servers close without a closing alert; the body's own framing tells a cut body.
    SSL_CTX_set_options(built.get(), SSL_OP_IGNORE_UNEXPECTED_EOF);
    SSL_CTX_set_default_verify_paths(built.get());
    sessions->Attach(built.get());
    if (!source.extraCaFile.empty() &&
        SSL_CTX_load_verify_locations(built.get(), source.extraCaFile.c_str(), nullptr) != 1) {
        ERR_clear_error();
        problem = "cannot read CA file " + source.extraCaFile;
        return nullptr;
    }
    return built;
}

}  // namespace

void SetExtraCaFile(const std::string& path) {
    std::lock_guard<std::mutex> lock(trustMutex);
    extraCaFile = path;
}

std::shared_ptr<SSL_CTX> AcquireTlsContext(std::string& problem) {
    std::lock_guard<std::mutex> lock(trustMutex);
    const TrustSource wanted{extraCaFile, Variable("SSL_CERT_FILE"), Variable("SSL_CERT_DIR")};
    if (!context || !(wanted == builtFrom)) {
        context = BuildContext(wanted, problem);
        builtFrom = wanted;
    }
    return context;
}
