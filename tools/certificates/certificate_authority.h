#pragma once

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>
#include <string>
#include <vector>

// A certificate authority made afresh with OpenSSL (a P-256 key and a self-signed certificate)
// that issues server certificates for loopback HTTPS: the demo directory and the client's TLS
// tests trust it; no real site ever does.
class CertificateAuthority {
public:
    struct KeyFree {
        void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
    };
    struct CertificateFree {
        void operator()(X509* certificate) const { X509_free(certificate); }
    };
    using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
    using Certificate = std::unique_ptr<X509, CertificateFree>;

    struct Issued {
        Certificate certificate;  // both empty when they could not be made
        Key key;
        std::string CertificatePem() const;
        std::string KeyPem() const;
    };

    // Valid from `validFromSeconds` to `validUntilSeconds` around now.
    CertificateAuthority(const std::string& commonName, long validFromSeconds, long validUntilSeconds);
    bool Valid() const { return key_ && certificate_; }
    std::string CertificatePem() const;

    // A server certificate for the subject names ("DNS:dir.test", "IP:127.0.0.1").
    Issued Issue(const std::vector<std::string>& subjectNames, long validFromSeconds,
                 long validUntilSeconds) const;

private:
    Key key_;
    Certificate certificate_;
    mutable long lastSerial_ = 1;
};
