#pragma once

#include <memory>
#include <string>

#include <openssl/evp.h>
#include <openssl/x509.h>

// A test certificate authority made afresh at each start, and a server certificate it signed for
// every host of the demo directory (*.demo-b2b.test, demo-b2b.test, localhost, 127.0.0.1, ::1).
// Clients trust the demo by adding the authority's certificate, which WriteAuthority writes out.
class DemoCertificates {
public:
    DemoCertificates();
    bool Valid() const { return serverKey && serverCertificate && authorityCertificate; }

    // The authority's certificate as PEM into the file; false when it cannot be written.
    bool WriteAuthority(const std::string& path) const;

    X509* ServerCertificate() const { return serverCertificate.get(); }
    EVP_PKEY* ServerKey() const { return serverKey.get(); }

private:
    struct KeyFree {
        void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
    };
    struct CertificateFree {
        void operator()(X509* certificate) const { X509_free(certificate); }
    };
    std::unique_ptr<EVP_PKEY, KeyFree> authorityKey;
    std::unique_ptr<X509, CertificateFree> authorityCertificate;
    std::unique_ptr<EVP_PKEY, KeyFree> serverKey;
    std::unique_ptr<X509, CertificateFree> serverCertificate;
};
