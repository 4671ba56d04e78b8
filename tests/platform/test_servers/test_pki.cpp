#include "test_servers/test_pki.h"

#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace varnelle::test {
namespace {

void check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("test PKI: ") + what);
}

std::unique_ptr<EVP_PKEY, KeyDeleter> make_key() {
  std::unique_ptr<EVP_PKEY, KeyDeleter> key(EVP_EC_gen("P-256"));
  check(key != nullptr, "key generation");
  return key;
}

void add_extension(X509* cert, X509* issuer, int nid, const char* value) {
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
  check(extension != nullptr, "extension");
  X509_add_ext(cert, extension, -1);
  X509_EXTENSION_free(extension);
}

// Signs with issuer's key; a null issuer makes the certificate self-signed.
Credentials issue(const char* common_name, bool is_ca, const Credentials* issuer) {
  static long serial = 1;
  Credentials made{make_key(), std::unique_ptr<X509, CertificateDeleter>(X509_new())};
  X509* cert = made.certificate.get();
  X509_set_version(cert, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert), serial++);
  X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
  X509_gmtime_adj(X509_getm_notAfter(cert), 7 * 24 * 3600);
  X509_set_pubkey(cert, made.key.get());
  X509_NAME* name = X509_get_subject_name(cert);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(common_name), -1, -1, 0);
  X509* issuer_cert = issuer ? issuer->certificate.get() : cert;
  X509_set_issuer_name(cert, X509_get_subject_name(issuer_cert));
  add_extension(cert, issuer_cert, NID_subject_key_identifier, "hash");
  if (is_ca) {
    add_extension(cert, issuer_cert, NID_basic_constraints, "critical,CA:TRUE");
    add_extension(cert, issuer_cert, NID_key_usage, "critical,keyCertSign,cRLSign");
  } else {
    add_extension(cert, issuer_cert, NID_authority_key_identifier, "keyid");
    add_extension(cert, issuer_cert, NID_basic_constraints, "CA:FALSE");
    add_extension(cert, issuer_cert, NID_ext_key_usage, "serverAuth");
    add_extension(cert, issuer_cert, NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
  }
  EVP_PKEY* signing_key = issuer ? issuer->key.get() : made.key.get();
  check(X509_sign(cert, signing_key, EVP_sha256()) > 0, "signing");
  return made;
}

// Returns the directory that holds the file ca.pem.
std::string write_ca_file(X509* ca) {
  std::string dir = (std::filesystem::temp_directory_path() / "varnelle-test-ca-XXXXXX").string();
  check(mkdtemp(dir.data()) != nullptr, "temporary directory");
  FILE* file = std::fopen((dir + "/ca.pem").c_str(), "w");
  check(file != nullptr, "CA file");
  PEM_write_X509(file, ca);
  std::fclose(file);
  return dir;
}

}  // namespace

TestPki::TestPki()
    : ca_(issue("Varnelle Test CA", true, nullptr)),
      trusted_server_(issue("127.0.0.1", false, &ca_)),
      untrusted_server_(issue("127.0.0.1", false, nullptr)),
      ca_directory_(write_ca_file(ca_.certificate.get())) {
  setenv("SSL_CERT_FILE", (ca_directory_ + "/ca.pem").c_str(), 1);
}

TestPki::~TestPki() {
  std::error_code ignored;
  std::filesystem::remove_all(ca_directory_, ignored);
}

const TestPki& TestPki::instance() {
  static const TestPki pki;
  return pki;
}

}  // namespace varnelle::test
