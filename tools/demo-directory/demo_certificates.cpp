#include "tools/demo-directory/demo_certificates.h"

#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <cstdio>

namespace {

constexpr long kValiditySeconds = 30L * 24 * 3600;
constexpr long kBackdateSeconds = 3600;  // clocks of client and server may differ a little
constexpr const char* kServerNames = "DNS:*.demo-b2b.test,DNS:demo-b2b.test,DNS:localhost,IP:127.0.0.1,IP:::1";

EVP_PKEY* NewKey() {
    return EVP_EC_gen("P-256");
}

bool AddExtension(X509* certificate, X509* issuer, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    if (extension == nullptr) return false;
    const bool added = X509_add_ext(certificate, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return added;
}

// A certificate for `key` named `commonName`, signed by the issuer (itself when none is given).
X509* NewCertificate(EVP_PKEY* key, const char* commonName, long serial, X509* issuer, EVP_PKEY* issuerKey,
                     bool authority) {
    X509* certificate = X509_new();
    X509_set_version(certificate, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate), serial);
    X509_gmtime_adj(X509_getm_notBefore(certificate), -kBackdateSeconds);
    X509_gmtime_adj(X509_getm_notAfter(certificate), kValiditySeconds);
    X509_set_pubkey(certificate, key);
    X509_NAME* name = X509_get_subject_name(certificate);
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("Harvio demo"), -1,
                               -1, 0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName), -1, -1,
                               0);
    X509* signer = issuer != nullptr ? issuer : certificate;
    X509_set_issuer_name(certificate, X509_get_subject_name(signer));
    bool ok = true;
    if (authority) {
        ok = AddExtension(certificate, signer, NID_basic_constraints, "critical,CA:TRUE") &&
             AddExtension(certificate, signer, NID_key_usage, "critical,keyCertSign,cRLSign") &&
             AddExtension(certificate, signer, NID_subject_key_identifier, "hash");
    } else {
        ok = AddExtension(certificate, signer, NID_basic_constraints, "critical,CA:FALSE") &&
             AddExtension(certificate, signer, NID_key_usage, "critical,digitalSignature") &&
             AddExtension(certificate, signer, NID_ext_key_usage, "serverAuth") &&
             AddExtension(certificate, signer, NID_subject_alt_name, kServerNames) &&
             AddExtension(certificate, signer, NID_authority_key_identifier, "keyid");
    }
    if (!ok || X509_sign(certificate, issuerKey, EVP_sha256()) == 0) {
        X509_free(certificate);
        return nullptr;
    }
    return certificate;
}

}  // namespace

DemoCertificates::DemoCertificates() {
    authorityKey.reset(NewKey());
    serverKey.reset(NewKey());
    if (!authorityKey || !serverKey) return;
    authorityCertificate.reset(
        NewCertificate(authorityKey.get(), "Harvio demo test CA", 1, nullptr, authorityKey.get(), true));
    if (!authorityCertificate) return;
    serverCertificate.reset(NewCertificate(serverKey.get(), "demo-b2b.test", 2, authorityCertificate.get(),
                                           authorityKey.get(), false));
}

bool DemoCertificates::WriteAuthority(const std::string& path) const {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) return false;
    const bool written = PEM_write_X509(file, authorityCertificate.get()) == 1;
    return std::fclose(file) == 0 && written;
}
