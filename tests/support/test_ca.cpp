#include "support/test_ca.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <stdexcept>

namespace {

constexpr long kCaLifetimeSeconds = 7 * 24 * 3600;

EVP_PKEY* NewKey() {
    EVP_PKEY* key = EVP_EC_gen("P-256");
    if (key == nullptr) throw std::runtime_error("test key could not be made");
    return key;
}

void AddExtension(X509* certificate, X509* issuer, int nid, const std::string& value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str());
    if (extension == nullptr) throw std::runtime_error("bad test certificate extension " + value);
    X509_add_ext(certificate, extension, -1);
    X509_EXTENSION_free(extension);
}

X509* NewCertificate(EVP_PKEY* subjectKey, const std::string& commonName, long serial, long from,
                     long until) {
    X509* certificate = X509_new();
    X509_set_version(certificate, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate), serial);
    X509_gmtime_adj(X509_getm_notBefore(certificate), from);
    X509_gmtime_adj(X509_getm_notAfter(certificate), until);
    X509_set_pubkey(certificate, subjectKey);
    X509_NAME* name = X509_get_subject_name(certificate);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1, 0);
    return certificate;
}

std::string CertificateText(X509* certificate) {
    BIO* out = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(out, certificate);
    char* data = nullptr;
    const long length = BIO_get_mem_data(out, &data);
    std::string text(data, static_cast<std::size_t>(length));
    BIO_free(out);
    return text;
}

std::string KeyText(EVP_PKEY* key) {
    BIO* out = BIO_new(BIO_s_mem());
    PEM_write_bio_PrivateKey(out, key, nullptr, nullptr, 0, nullptr, nullptr);
    char* data = nullptr;
    const long length = BIO_get_mem_data(out, &data);
    std::string text(data, static_cast<std::size_t>(length));
    BIO_free(out);
    return text;
}

}  // namespace

TestCa::TestCa(const std::string& name) : key(NewKey()) {
    certificate = NewCertificate(key, name, 1, -kCaLifetimeSeconds, kCaLifetimeSeconds);
    X509_set_issuer_name(certificate, X509_get_subject_name(certificate));
    AddExtension(certificate, certificate, NID_basic_constraints, "critical,CA:TRUE");
    AddExtension(certificate, certificate, NID_key_usage, "critical,keyCertSign,cRLSign");
    AddExtension(certificate, certificate, NID_subject_key_identifier, "hash");
    X509_sign(certificate, key, EVP_sha256());
    certificatePem = CertificateText(certificate);
}

TestCa::~TestCa() {
    X509_free(certificate);
    EVP_PKEY_free(key);
}

TestCa::Issued TestCa::Issue(const std::vector<std::string>& subjectNames, long validFromSeconds,
                             long validUntilSeconds) const {
    static long serial = 100;
    EVP_PKEY* serverKey = NewKey();
    X509* server =
        NewCertificate(serverKey, "loopback server", ++serial, validFromSeconds, validUntilSeconds);
    X509_set_issuer_name(server, X509_get_subject_name(certificate));
    std::string names;
    for (const std::string& subjectName : subjectNames) names += (names.empty() ? "" : ",") + subjectName;
    AddExtension(server, certificate, NID_subject_alt_name, names);
    AddExtension(server, certificate, NID_basic_constraints, "CA:FALSE");
    AddExtension(server, certificate, NID_ext_key_usage, "serverAuth");
    X509_sign(server, key, EVP_sha256());
    Issued issued{CertificateText(server), KeyText(serverKey)};
    X509_free(server);
    EVP_PKEY_free(serverKey);
    return issued;
}
