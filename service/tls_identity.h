#pragma once
// The certificate the service presents: given on the command line, or issued by a local CA that
// is made on first start in the state folder and reused afterwards.

#include <filesystem>
#include <string>

namespace varnelle::service {

struct TlsIdentity {
  std::filesystem::path cert_file;  // chain, PEM
  std::filesystem::path key_file;
  std::filesystem::path ca_file;    // what clients trust; empty for a given certificate
};

// Makes or reuses ca.pem, ca-key.pem, server.pem and server-key.pem in state_dir. A CA that is
// missing, broken or near its end is made anew together with the server certificate; a server
// certificate alone is re-issued by the kept CA. On failure returns an empty cert_file and sets
// error.
TlsIdentity ensure_local_identity(const std::filesystem::path& state_dir, std::string& error);

}  // namespace varnelle::service
