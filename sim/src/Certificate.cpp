#include "Certificate.hpp"

#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>
#include <stdexcept>

namespace QuillhavenSim {

namespace {

void Check(int ok, const char* what)
{
    if (ok <= 0) throw std::runtime_error(std::string("certificate: ") + what);
}

}  // namespace

void InstallSelfSignedCertificate(boost::asio::ssl::context& context)
{
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(EVP_EC_gen("P-256"), &EVP_PKEY_free);
    Check(key != nullptr, "key generation");
    std::unique_ptr<X509, decltype(&X509_free)> cert(X509_new(), &X509_free);
    Check(cert != nullptr, "allocation");
    Check(X509_set_version(cert.get(), 2), "version");
    Check(ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), 1), "serial");
    Check(X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600) != nullptr, "start time");
    Check(X509_gmtime_adj(X509_getm_notAfter(cert.get()), 365L * 24 * 3600) != nullptr, "end time");
    Check(X509_set_pubkey(cert.get(), key.get()), "public key");
    X509_NAME* name = X509_get_subject_name(cert.get());
    Check(X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                                     reinterpret_cast<const unsigned char*>("Quillhaven Sim"), -1, -1, 0),
          "organisation");
    Check(X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"),
                                     -1, -1, 0),
          "common name");
    Check(X509_set_issuer_name(cert.get(), name), "issuer");
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, cert.get(), cert.get(), nullptr, nullptr, 0);
    std::unique_ptr<X509_EXTENSION, decltype(&X509_EXTENSION_free)> san(
        X509V3_EXT_conf_nid(nullptr, &ctx, NID_subject_alt_name, "IP:127.0.0.1"), &X509_EXTENSION_free);
    Check(san != nullptr, "alternative name");
    Check(X509_add_ext(cert.get(), san.get(), -1), "alternative name");
    Check(X509_sign(cert.get(), key.get(), EVP_sha256()), "signature");

    SSL_CTX* native = context.native_handle();
    Check(SSL_CTX_use_certificate(native, cert.get()), "install certificate");
    Check(SSL_CTX_use_PrivateKey(native, key.get()), "install key");
}

}  // namespace QuillhavenSim
