#pragma once
// Certificates made at test time: a CA that the process trusts through SSL_CERT_FILE, a server
// certificate for 127.0.0.1 and localhost signed by it, and a self-signed one that nothing trusts.

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>
#include <string>

namespace varnelle::test {

struct KeyDeleter {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertificateDeleter {
  void operator()(X509* cert) const { X509_free(cert); }
};

struct Credentials {
  std::unique_ptr<EVP_PKEY, KeyDeleter> key;
  std::unique_ptr<X509, CertificateDeleter> certificate;
};

class TestPki {
 public:
  // The first call makes the certificates, writes the CA to a temporary file and points
  // SSL_CERT_FILE at it; call it before the process's first TLS exchange.
  static const TestPki& instance();

  const Credentials& trusted_server() const { return trusted_server_; }
  const Credentials& untrusted_server() const { return untrusted_server_; }

 private:
  TestPki();
  ~TestPki();

  Credentials ca_;
  Credentials trusted_server_;
  Credentials untrusted_server_;
  std::string ca_directory_;
};

}  // namespace varnelle::test
