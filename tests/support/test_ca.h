#pragma once

#include <string>
#include <vector>

// A certificate authority made in the test with OpenSSL: a P-256 key and a self-signed CA
// certificate, which issues server certificates for the names a test needs.
class TestCa {
public:
    struct Issued {
        std::string certificatePem;
        std::string keyPem;
    };

    explicit TestCa(const std::string& name = "Harvio Test CA");
    ~TestCa();
    TestCa(const TestCa&) = delete;
    TestCa& operator=(const TestCa&) = delete;

    const std::string& CertificatePem() const { return certificatePem; }
    // A server certificate for the subject names ("DNS:dir.test", "IP:127.0.0.1"), valid from
    // `validFromSeconds` to `validUntilSeconds` around now.
    Issued Issue(const std::vector<std::string>& subjectNames, long validFromSeconds = -3600,
                 long validUntilSeconds = 86400) const;

private:
    struct evp_pkey_st* key = nullptr;
    struct x509_st* certificate = nullptr;
    std::string certificatePem;
};
