#pragma once
// Self-signed certificates made on the spot, for the tests of certificate pinning:
// the names and dates are chosen per case (link OpenSSL::Crypto).

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <openssl/x509v3.h>

#include <QByteArray>
#include <QSslCertificate>
#include <string>

struct TestCertificateSpec {
    std::string commonName = "127.0.0.1";
    std::string altNames = "IP:127.0.0.1";  // empty: no alternative names at all
    long validFromSeconds = -3600;          // relative to now
    long validUntilSeconds = 86400;
};

inline QSslCertificate makeTestCertificate(const TestCertificateSpec& wanted) {
    EVP_PKEY* key = EVP_RSA_gen(2048);
    X509* x = X509_new();
    X509_set_version(x, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(x), 1);
    X509_gmtime_adj(X509_getm_notBefore(x), wanted.validFromSeconds);
    X509_gmtime_adj(X509_getm_notAfter(x), wanted.validUntilSeconds);
    X509_set_pubkey(x, key);
    X509_NAME* name = X509_get_subject_name(x);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(wanted.commonName.c_str()), -1,
                               -1, 0);
    X509_set_issuer_name(x, name);
    if (!wanted.altNames.empty()) {
        X509V3_CTX ctx;
        X509V3_set_ctx_nodb(&ctx);
        X509V3_set_ctx(&ctx, x, x, nullptr, nullptr, 0);
        X509_EXTENSION* ext =
            X509V3_EXT_conf_nid(nullptr, &ctx, NID_subject_alt_name, wanted.altNames.c_str());
        X509_add_ext(x, ext, -1);
        X509_EXTENSION_free(ext);
    }
    X509_sign(x, key, EVP_sha256());
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(bio, x);
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    const QByteArray pem(data, size);
    BIO_free(bio);
    X509_free(x);
    EVP_PKEY_free(key);
    return QSslCertificate(pem, QSsl::Pem);
}
