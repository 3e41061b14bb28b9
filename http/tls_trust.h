#pragma once

#include <memory>
#include <string>

typedef struct ssl_ctx_st SSL_CTX;

// Adds a CA file (PEM) trusted besides OpenSSL's default paths, for every client made afterwards
// and every request after the call. Empty path: none.
void SetExtraCaFile(const std::string& path);

// The TLS settings every https request uses: TLS 1.2 or 1.3, peer verification against OpenSSL's
// default paths (so SSL_CERT_FILE and SSL_CERT_DIR count) and the extra CA file, and the cache of
// the sessions its connections may resume. Shared by all clients and rebuilt only when the trust
// changes. Null, with the reason in `problem`, when the
// extra CA file cannot be read.
std::shared_ptr<SSL_CTX> AcquireTlsContext(std::string& problem);
