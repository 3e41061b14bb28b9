#include "tools/certificates/certificate_authority.h"

#include <openssl/pem.h>
#include <openssl/x509v3.h>

namespace {

constexpr int kVersion3 = 2;  // X.509 counts versions from 0

bool AddExtension(X509* certificate, X509* issuer, int nid, const std::string& value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str());
    if (extension == nullptr) return false;
    const bool added = X509_add_ext(certificate, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return added;
}

// An unsigned certificate for the key, named `commonName`; the issuer's name is set when signing.
CertificateAuthority::Certificate NewCertificate(EVP_PKEY* key, const std::string& commonName, long serial,
                                                 long from, long until) {
    CertificateAuthority::Certificate certificate(X509_new());
    X509_set_version(certificate.get(), kVersion3);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate.get()), serial);
    X509_gmtime_adj(X509_getm_notBefore(certificate.get()), from);
    X509_gmtime_adj(X509_getm_notAfter(certificate.get()), until);
    X509_set_pubkey(certificate.get(), key);
    X509_NAME_add_entry_by_txt(X509_get_subject_name(certificate.get()), "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1, 0);
    return certificate;
}

template <typename Write>
std::string PemText(Write write) {
    BIO* out = BIO_new(BIO_s_mem());
    write(out);
    char* data = nullptr;
    const long length = BIO_get_mem_data(out, &data);
    std::string text(data, static_cast<std::size_t>(length));
    BIO_free(out);
    return text;
}

}  // namespace

std::string CertificateAuthority::Issued::CertificatePem() const {
    return PemText([this](BIO* out) { PEM_write_bio_X509(out, certificate.get()); });
}

std::string CertificateAuthority::Issued::KeyPem() const {
    return PemText(
        [this](BIO* out) { PEM_write_bio_PrivateKey(out, key.get(), nullptr, nullptr, 0, nullptr, nullptr); });
}

CertificateAuthority::CertificateAuthority(const std::string& commonName, long validFromSeconds,
                                           long validUntilSeconds)
    : key_(EVP_EC_gen("P-256")) {
    if (!key_) return;
    Certificate certificate = NewCertificate(key_.get(), commonName, lastSerial_, validFromSeconds, validUntilSeconds);
    X509* self = certificate.get();
    X509_set_issuer_name(self, X509_get_subject_name(self));
    if (AddExtension(self, self, NID_basic_constraints, "critical,CA:TRUE") &&
        AddExtension(self, self, NID_key_usage, "critical,keyCertSign,cRLSign") &&
        AddExtension(self, self, NID_subject_key_identifier, "hash") &&
        X509_sign(self, key_.get(), EVP_sha256()) != 0) {
        certificate_ = std::move(certificate);
    }
}

std::string CertificateAuthority::CertificatePem() const {
    return PemText([this](BIO* out) { PEM_write_bio_X509(out, certificate_.get()); });
}

CertificateAuthority::Issued CertificateAuthority::Issue(const std::vector<std::string>& subjectNames,
                                                         long validFromSeconds, long validUntilSeconds) const {
    Key key(EVP_EC_gen("P-256"));
    if (!Valid() || !key) return {};
    Certificate certificate =
        NewCertificate(key.get(), "loopback server", ++lastSerial_, validFromSeconds, validUntilSeconds);
    X509* server = certificate.get();
    X509_set_issuer_name(server, X509_get_subject_name(certificate_.get()));
    std::string names;
    for (const std::string& subjectName : subjectNames) names += (names.empty() ? "" : ",") + subjectName;
    if (!AddExtension(server, certificate_.get(), NID_basic_constraints, "critical,CA:FALSE") ||
        !AddExtension(server, certificate_.get(), NID_key_usage, "critical,digitalSignature") ||
        !AddExtension(server, certificate_.get(), NID_ext_key_usage, "serverAuth") ||
        !AddExtension(server, certificate_.get(), NID_subject_alt_name, names) ||
        !AddExtension(server, certificate_.get(), NID_authority_key_identifier, "keyid") ||
        X509_sign(server, key_.get(), EVP_sha256()) == 0) {
        return {};
    }
    return {std::move(certificate), std::move(key)};
}
