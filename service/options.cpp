#include "service/options.h"

#include <arpa/inet.h>

#include <charconv>
#include <limits>
#include <optional>
#include <set>

namespace varnelle::service {
namespace {

std::optional<std::uint64_t> parse_unsigned(std::string_view text) {
  std::uint64_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

// A byte count, optionally with a binary suffix K, M or G.
std::optional<std::size_t> parse_size(std::string_view text) {
  std::uint64_t unit = 1;
  if (!text.empty()) {
    switch (text.back()) {
      case 'K': case 'k': unit = 1ull << 10; break;
      case 'M': case 'm': unit = 1ull << 20; break;
      case 'G': case 'g': unit = 1ull << 30; break;
      default: break;
    }
    if (unit != 1) text.remove_suffix(1);
  }
  auto value = parse_unsigned(text);
  if (!value || *value > std::numeric_limits<std::size_t>::max() / unit) return std::nullopt;
  return static_cast<std::size_t>(*value * unit);
}

bool is_valid_client_id(std::string_view id) {
  if (id.empty() || id.size() > 64) return false;
  for (char c : id) {
    bool ok = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
              c == '-' || c == '_' || c == '.';
    if (!ok) return false;
  }
  return true;
}

std::string check(const ServiceOptions& o) {
  if (!o.allow_remote && !is_loopback_address(o.listen))
    return "--listen " + o.listen + " is not a loopback address (add --allow-remote to serve others)";
  if (o.cert_file.empty() != o.key_file.empty()) return "--cert and --key go together";
  if (o.max_upload < 1024) return "--max-upload must be at least 1024 bytes";
  if (o.max_upload > (1ull << 30)) return "--max-upload must be at most 1G";
  if (o.store_cap < o.max_upload) return "--store-cap must be at least --max-upload";
  if (o.expire.count() < 1) return "--expire must be at least 1 second";
  if (o.threads < 1 || o.threads > 256) return "--threads must be between 1 and 256";
  if (o.state_dir.empty()) return "no state folder: give --state-dir, or set HOME or XDG_STATE_HOME";
  return {};
}

}  // namespace

std::filesystem::path default_state_dir(std::string_view xdg_state_home, std::string_view home) {
  // The XDG rules ignore relative values.
  if (!xdg_state_home.empty() && xdg_state_home.front() == '/')
    return std::filesystem::path(xdg_state_home) / "varnelle-service";
  if (!home.empty()) return std::filesystem::path(home) / ".local/state/varnelle-service";
  return {};
}

ParsedOptions parse_options(const std::vector<std::string>& args,
                            const std::filesystem::path& default_state) {
  ParsedOptions parsed;
  ServiceOptions& o = parsed.options;
  o.state_dir = default_state;
  auto fail = [&](std::string message) {
    parsed.error = std::move(message);
    return parsed;
  };

  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view arg = args[i];
    std::string name(arg);
    std::optional<std::string> value;
    if (auto eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
      name = arg.substr(0, eq);
      value = std::string(arg.substr(eq + 1));
    }
    if (name == "-h" || name == "--help") {
      parsed.show_help = true;
      continue;
    }
    if (name == "--allow-remote") {
      o.allow_remote = true;
      continue;
    }
    static const std::set<std::string> kWithValue = {
        "--listen", "--port", "--client-id", "--cert", "--key", "--state-dir",
        "--max-upload", "--store-cap", "--expire", "--threads"};
    if (!kWithValue.contains(name)) return fail("unknown option " + name);
    if (!value) {
      if (i + 1 >= args.size()) return fail(name + " needs a value");
      value = args[++i];
    }
    const std::string& v = *value;
    if (name == "--listen") {
      o.listen = v;
    } else if (name == "--port") {
      auto port = parse_unsigned(v);
      if (!port || *port > 65535) return fail("--port wants a number from 0 to 65535");
      o.port = static_cast<int>(*port);
    } else if (name == "--client-id") {
      if (!is_valid_client_id(v))
        return fail("--client-id wants 1 to 64 of the characters A-Z a-z 0-9 . _ -");
      o.client_id = v;
    } else if (name == "--cert") {
      o.cert_file = v;
    } else if (name == "--key") {
      o.key_file = v;
    } else if (name == "--state-dir") {
      o.state_dir = v;
    } else if (name == "--max-upload" || name == "--store-cap") {
      auto size = parse_size(v);
      if (!size) return fail(name + " wants a byte count such as 20971520 or 20M");
      (name == "--max-upload" ? o.max_upload : o.store_cap) = *size;
    } else if (name == "--expire") {
      auto seconds = parse_unsigned(v);
      if (!seconds || *seconds > 7 * 24 * 3600) return fail("--expire wants seconds, at most a week");
      o.expire = std::chrono::seconds(*seconds);
    } else {  // --threads
      auto threads = parse_unsigned(v);
      if (!threads || *threads > 256) return fail("--threads wants a number from 1 to 256");
      o.threads = static_cast<int>(*threads);
    }
  }
  if (parsed.show_help) return parsed;
  if (auto problem = check(o); !problem.empty()) return fail(problem);
  return parsed;
}

bool is_loopback_address(std::string_view address) {
  if (address == "localhost") return true;
  std::string text(address);
  in_addr v4{};
  if (inet_pton(AF_INET, text.c_str(), &v4) == 1)
    return (ntohl(v4.s_addr) >> 24) == 127;
  in6_addr v6{};
  if (inet_pton(AF_INET6, text.c_str(), &v6) == 1) return IN6_IS_ADDR_LOOPBACK(&v6);
  return false;
}

std::string usage_text() {
  return R"(Usage: varnelle-service [OPTION]...
A self-hostable QR-decoding service for Varnelle, over HTTPS.

It serves three paths:
  GET  /deqr/             a page to pick an image and see its decoded text; sets the session cookie
  POST /upload.php?kid=ID multipart/form-data with the field "Filedata"; replies {"data":{"path":...}}
  POST /apis/up/deqrimg   the form text "img=<path>"; replies {"info":{"data":[texts...]}}

Options:
  --listen ADDRESS    address to listen on (default 127.0.0.1); must be a loopback
                      address (127.0.0.0/8, ::1, localhost) unless --allow-remote is given
  --allow-remote      allow a --listen address that other machines can reach
  --port N            TCP port (default 8443); 0 picks any free port. The first line on
                      standard output is always "listening on https://ADDRESS:PORT"
  --client-id ID      the client identifier that uploads must carry as ?kid=ID
                      (default "varnelle"; 1 to 64 of A-Z a-z 0-9 . _ -)
  --cert FILE         server certificate chain (PEM); needs --key
  --key FILE          private key of --cert (PEM)
                      Without --cert and --key the service makes, on its first start, a local
                      CA and a certificate for localhost and 127.0.0.1 in the state folder
                      (ca.pem, ca-key.pem, server.pem, server-key.pem) and reuses them
                      afterwards. Clients trust ca.pem, e.g. through SSL_CERT_FILE; its path is
                      printed on start-up as "trust: PATH".
  --state-dir DIR     state folder (default $XDG_STATE_HOME/varnelle-service, else
                      ~/.local/state/varnelle-service)
  --max-upload BYTES  largest request body accepted, refused by its declared length before
                      it is read (default 20M; suffixes K, M, G)
  --store-cap BYTES   total size of the uploads held at once (default 256M); an upload that
                      does not fit is refused with 503 until older ones expire
  --expire SECONDS    lifetime of an upload (default 600); an upload is also gone once decoded
  --threads N         connections served at once (default 8); decoding runs on at most as
                      many threads as there are processors
  -h, --help          show this text and exit

One log line per request goes to standard error: time, method, path, status, duration.
SIGINT or SIGTERM stops the service.
)";
}

}  // namespace varnelle::service
