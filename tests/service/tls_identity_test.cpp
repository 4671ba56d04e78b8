// The local CA and server certificate: made once, kept, renewed when broken, and trusted by a
// client that trusts nothing but the CA.

#include <gtest/gtest.h>

#include <openssl/pem.h>
#include <openssl/x509v3.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "service/tls_identity.h"
#include "service_harness.h"

namespace varnelle::service {
namespace {

using testing::TempDir;

std::string read_text(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

X509* load_cert(const std::filesystem::path& path) {
  BIO* bio = BIO_new_file(path.c_str(), "r");
  X509* cert = bio ? PEM_read_bio_X509(bio, nullptr, nullptr, nullptr) : nullptr;
  BIO_free(bio);
  return cert;
}

// Verifies the server certificate for a TLS server against the CA alone.
bool verifies_for_server(const std::filesystem::path& ca_file,
                         const std::filesystem::path& server_file) {
  X509* ca = load_cert(ca_file);
  X509* server = load_cert(server_file);
  X509_STORE* store = X509_STORE_new();
  X509_STORE_add_cert(store, ca);
  X509_STORE_CTX* ctx = X509_STORE_CTX_new();
  X509_STORE_CTX_init(ctx, store, server, nullptr);
  X509_STORE_CTX_set_purpose(ctx, X509_PURPOSE_SSL_SERVER);
  bool ok = X509_verify_cert(ctx) == 1 && X509_check_host(server, "localhost", 0, 0, nullptr) == 1 &&
            X509_check_ip_asc(server, "127.0.0.1", 0) == 1;
  X509_STORE_CTX_free(ctx);
  X509_STORE_free(store);
  X509_free(server);
  X509_free(ca);
  return ok;
}

mode_t mode_of(const std::filesystem::path& path) {
  struct stat st {};
  stat(path.c_str(), &st);
  return st.st_mode & 0777;
}

TEST(ServiceTlsIdentity, MadeOnFirstStartAndKeptAfterwards) {
  TempDir dir;
  const auto state = dir.path() / "nested" / "state";
  std::string error;
  TlsIdentity first = ensure_local_identity(state, error);
  ASSERT_EQ(error, "");
  EXPECT_EQ(first.ca_file, state / "ca.pem");
  EXPECT_EQ(first.cert_file, state / "server.pem");
  EXPECT_EQ(first.key_file, state / "server-key.pem");
  EXPECT_TRUE(verifies_for_server(first.ca_file, first.cert_file));
  EXPECT_EQ(mode_of(state), 0700u);
  EXPECT_EQ(mode_of(first.key_file), 0600u);
  EXPECT_EQ(mode_of(state / "ca-key.pem"), 0600u);

  const std::string ca = read_text(first.ca_file), server = read_text(first.cert_file);
  TlsIdentity second = ensure_local_identity(state, error);
  EXPECT_EQ(read_text(second.ca_file), ca);
  EXPECT_EQ(read_text(second.cert_file), server);
}

TEST(ServiceTlsIdentity, ABrokenServerCertificateIsReissuedByTheKeptCa) {
  TempDir dir;
  std::string error;
  TlsIdentity identity = ensure_local_identity(dir.path(), error);
  const std::string ca = read_text(identity.ca_file), server = read_text(identity.cert_file);
  std::ofstream(identity.cert_file) << "not a certificate";
  identity = ensure_local_identity(dir.path(), error);
  EXPECT_EQ(error, "");
  EXPECT_EQ(read_text(identity.ca_file), ca);
  EXPECT_NE(read_text(identity.cert_file), server);
  EXPECT_TRUE(verifies_for_server(identity.ca_file, identity.cert_file));
}

TEST(ServiceTlsIdentity, ABrokenCaMakesEverythingAnew) {
  TempDir dir;
  std::string error;
  TlsIdentity identity = ensure_local_identity(dir.path(), error);
  const std::string ca = read_text(identity.ca_file);
  std::filesystem::remove(dir.path() / "ca-key.pem");
  identity = ensure_local_identity(dir.path(), error);
  EXPECT_EQ(error, "");
  EXPECT_NE(read_text(identity.ca_file), ca);
  EXPECT_TRUE(verifies_for_server(identity.ca_file, identity.cert_file));
}

TEST(ServiceTlsIdentity, AnUnwritableFolderIsReported) {
  std::string error;
  TlsIdentity identity = ensure_local_identity("/proc/varnelle-no-such-folder", error);
  EXPECT_TRUE(identity.cert_file.empty());
  EXPECT_NE(error, "");
}

}  // namespace
}  // namespace varnelle::service
