#include "service/tls_identity.h"

#include <fcntl.h>
#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <functional>
#include <memory>

namespace varnelle::service {
namespace {

struct Deleter {
  void operator()(X509* p) const { X509_free(p); }
  void operator()(EVP_PKEY* p) const { EVP_PKEY_free(p); }
  void operator()(BIO* p) const { BIO_free(p); }
  void operator()(X509_EXTENSION* p) const { X509_EXTENSION_free(p); }
  void operator()(BIGNUM* p) const { BN_free(p); }
};
using CertPtr = std::unique_ptr<X509, Deleter>;
using KeyPtr = std::unique_ptr<EVP_PKEY, Deleter>;
using BioPtr = std::unique_ptr<BIO, Deleter>;

constexpr long kDay = 24 * 3600;
constexpr long kCaDays = 3650;
constexpr long kServerDays = 397;
// Certificates this close to their end are renewed at start-up.
constexpr long kRenewBeforeDays = 30;

struct Files {
  std::filesystem::path ca, ca_key, server, server_key;
  explicit Files(const std::filesystem::path& dir)
      : ca(dir / "ca.pem"), ca_key(dir / "ca-key.pem"), server(dir / "server.pem"),
        server_key(dir / "server-key.pem") {}
};

CertPtr read_cert(const std::filesystem::path& path) {
  BioPtr bio(BIO_new_file(path.c_str(), "r"));
  return CertPtr(bio ? PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr) : nullptr);
}

KeyPtr read_key(const std::filesystem::path& path) {
  BioPtr bio(BIO_new_file(path.c_str(), "r"));
  return KeyPtr(bio ? PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr) : nullptr);
}

bool lasts_long_enough(const X509* cert) {
  std::time_t limit = std::time(nullptr) + kRenewBeforeDays * kDay;
  return X509_cmp_time(X509_get0_notBefore(cert), nullptr) <= 0 &&
         X509_cmp_time(X509_get0_notAfter(cert), &limit) > 0;
}

bool ca_is_usable(const X509* ca, EVP_PKEY* ca_key) {
  return ca && ca_key && X509_check_private_key(ca, ca_key) == 1 &&
         X509_check_ca(const_cast<X509*>(ca)) >= 1 && lasts_long_enough(ca);
}

bool server_is_usable(X509* server, EVP_PKEY* server_key, X509* ca) {
  return server && server_key && X509_check_private_key(server, server_key) == 1 &&
         X509_verify(server, X509_get0_pubkey(ca)) == 1 && lasts_long_enough(server) &&
         X509_check_host(server, "localhost", 0, 0, nullptr) == 1 &&
         X509_check_ip_asc(server, "127.0.0.1", 0) == 1;
}

KeyPtr make_key() { return KeyPtr(EVP_EC_gen("P-256")); }

bool add_extension(X509* cert, X509V3_CTX* ctx, int nid, const char* value) {
  std::unique_ptr<X509_EXTENSION, Deleter> ext(X509V3_EXT_nconf_nid(nullptr, ctx, nid, value));
  return ext && X509_add_ext(cert, ext.get(), -1) == 1;
}

struct Extension {
  int nid;
  const char* value;
};

// issuer == nullptr makes a self-signed certificate.
CertPtr make_cert(const char* common_name, EVP_PKEY* key, X509* issuer, EVP_PKEY* issuer_key,
                  long days, std::initializer_list<Extension> extensions) {
  CertPtr cert(X509_new());
  if (!cert) return nullptr;
  unsigned char serial_bytes[16];
  if (RAND_bytes(serial_bytes, sizeof serial_bytes) != 1) return nullptr;
  serial_bytes[0] &= 0x7f;  // serial numbers are positive
  std::unique_ptr<BIGNUM, Deleter> serial(BN_bin2bn(serial_bytes, sizeof serial_bytes, nullptr));
  X509_NAME* name = X509_get_subject_name(cert.get());
  bool ok = serial && X509_set_version(cert.get(), 2) == 1 &&
            BN_to_ASN1_INTEGER(serial.get(), X509_get_serialNumber(cert.get())) &&
            X509_gmtime_adj(X509_getm_notBefore(cert.get()), -kDay) &&
            X509_gmtime_adj(X509_getm_notAfter(cert.get()), days * kDay) &&
            X509_set_pubkey(cert.get(), key) == 1 &&
            X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                                       reinterpret_cast<const unsigned char*>("varnelle-service"),
                                       -1, -1, 0) == 1 &&
            X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                       reinterpret_cast<const unsigned char*>(common_name), -1,
                                       -1, 0) == 1 &&
            X509_set_issuer_name(cert.get(),
                                 issuer ? X509_get_subject_name(issuer) : name) == 1;
  if (!ok) return nullptr;
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, issuer ? issuer : cert.get(), cert.get(), nullptr, nullptr, 0);
  for (const Extension& ext : extensions)
    if (!add_extension(cert.get(), &ctx, ext.nid, ext.value)) return nullptr;
  if (X509_sign(cert.get(), issuer_key, EVP_sha256()) == 0) return nullptr;
  return cert;
}

CertPtr make_ca(EVP_PKEY* key) {
  // The name constraints keep the CA harmless to anyone who trusts it: it can vouch for
  // loopback names only.
  return make_cert("varnelle-service local CA", key, nullptr, key, kCaDays,
                   {{NID_basic_constraints, "critical,CA:TRUE,pathlen:0"},
                    {NID_key_usage, "critical,keyCertSign,cRLSign"},
                    {NID_subject_key_identifier, "hash"},
                    {NID_name_constraints,
                     "critical,permitted;DNS:localhost,permitted;IP:127.0.0.0/255.0.0.0,"
                     "permitted;IP:::1/ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff"}});
}

CertPtr make_server_cert(EVP_PKEY* key, X509* ca, EVP_PKEY* ca_key) {
  return make_cert("localhost", key, ca, ca_key, kServerDays,
                   {{NID_basic_constraints, "critical,CA:FALSE"},
                    {NID_key_usage, "critical,digitalSignature"},
                    {NID_ext_key_usage, "serverAuth"},
                    {NID_subject_key_identifier, "hash"},
                    {NID_authority_key_identifier, "keyid:always"},
                    {NID_subject_alt_name, "DNS:localhost,IP:127.0.0.1,IP:::1"}});
}

// Written beside the target and renamed over it, so a reader never sees half a file.
bool write_pem(const std::filesystem::path& path, mode_t mode,
               const std::function<int(BIO*)>& write) {
  std::filesystem::path temp = path;
  temp += ".new";
  ::unlink(temp.c_str());
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) return false;
  BioPtr bio(BIO_new_fd(fd, BIO_CLOSE));
  if (!bio) {
    ::close(fd);
    return false;
  }
  bool ok = write(bio.get()) == 1 && BIO_flush(bio.get()) == 1 && ::fsync(fd) == 0;
  bio.reset();
  if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

bool write_cert(const std::filesystem::path& path, X509* cert) {
  return write_pem(path, 0644, [cert](BIO* bio) { return PEM_write_bio_X509(bio, cert); });
}

bool write_key(const std::filesystem::path& path, EVP_PKEY* key) {
  return write_pem(path, 0600, [key](BIO* bio) {
    return PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr);
  });
}

// Two services starting at once on one folder must not interleave their writes.
class FolderLock {
 public:
  explicit FolderLock(const std::filesystem::path& dir)
      : fd_(::open((dir / ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
    if (fd_ >= 0) ::flock(fd_, LOCK_EX);
  }
  ~FolderLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  bool held() const { return fd_ >= 0; }

 private:
  int fd_;
};

}  // namespace

TlsIdentity ensure_local_identity(const std::filesystem::path& state_dir, std::string& error) {
  std::error_code ec;
  std::filesystem::create_directories(state_dir, ec);
  if (ec) {
    error = "cannot make the state folder " + state_dir.string() + ": " + ec.message();
    return {};
  }
  ::chmod(state_dir.c_str(), 0700);
  FolderLock lock(state_dir);
  if (!lock.held()) {
    error = "cannot lock the state folder " + state_dir.string();
    return {};
  }

  Files files(state_dir);
  CertPtr ca = read_cert(files.ca);
  KeyPtr ca_key = read_key(files.ca_key);
  bool new_ca = !ca_is_usable(ca.get(), ca_key.get());
  if (new_ca) {
    ca_key = make_key();
    ca = ca_key ? make_ca(ca_key.get()) : nullptr;
    if (!ca || !write_key(files.ca_key, ca_key.get()) || !write_cert(files.ca, ca.get())) {
      error = "cannot make the local CA in " + state_dir.string();
      return {};
    }
  }

  CertPtr server = new_ca ? nullptr : read_cert(files.server);
  KeyPtr server_key = new_ca ? nullptr : read_key(files.server_key);
  if (!server_is_usable(server.get(), server_key.get(), ca.get())) {
    server_key = make_key();
    server = server_key ? make_server_cert(server_key.get(), ca.get(), ca_key.get()) : nullptr;
    if (!server || !write_key(files.server_key, server_key.get()) ||
        !write_cert(files.server, server.get())) {
      error = "cannot make the server certificate in " + state_dir.string();
      return {};
    }
  }
  return {files.server, files.server_key, files.ca};
}

}  // namespace varnelle::service
