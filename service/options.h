#pragma once
// The command line of varnelle-service.

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace varnelle::service {

inline constexpr int kDefaultPort = 8443;

struct ServiceOptions {
  std::string listen = "127.0.0.1";
  int port = kDefaultPort;  // 0: any free port
  bool allow_remote = false;
  std::string client_id = "varnelle";
  std::filesystem::path cert_file;  // both empty: the local CA's certificate
  std::filesystem::path key_file;
  std::filesystem::path state_dir;
  std::size_t max_upload = 20 * 1024 * 1024;
  std::size_t store_cap = 256 * 1024 * 1024;
  std::chrono::seconds expire{600};
  int threads = 8;
};

struct ParsedOptions {
  ServiceOptions options;
  bool show_help = false;
  std::string error;  // non-empty: the command line was refused
};

// Where the state lives when --state-dir is not given, from $XDG_STATE_HOME and $HOME.
std::filesystem::path default_state_dir(std::string_view xdg_state_home, std::string_view home);

// args excludes the program name.
ParsedOptions parse_options(const std::vector<std::string>& args,
                            const std::filesystem::path& default_state);

std::string usage_text();

bool is_loopback_address(std::string_view address);

}  // namespace varnelle::service
