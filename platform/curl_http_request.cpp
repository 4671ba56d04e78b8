#include "platform/curl_http_request.h"

#include <curl/curl.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/codepage.h"

namespace varnelle::platform {
namespace {

using Clock = std::chrono::steady_clock;

// A reply bigger than this is refused rather than held in memory.
constexpr size_t kMaxResponseBodyBytes = size_t{256} << 20;
constexpr size_t kMaxResponseHeaderBytes = size_t{1} << 20;
constexpr long kMaxRedirects = 10;

// The platform's certificate error flags for option 4.
constexpr std::int32_t kIgnoreUnknownCa = 0x0100;
constexpr std::int32_t kIgnoreWrongUsage = 0x0200;
constexpr std::int32_t kIgnoreWrongName = 0x1000;
constexpr std::int32_t kIgnoreBadDate = 0x2000;

void init_curl_once() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// ---- What exchanges of one thread share ------------------------------------------------------

struct ShareDeleter {
  void operator()(CURLSH* share) const { curl_share_cleanup(share); }
};
using ShareHandle = std::shared_ptr<CURLSH>;

// What a browser keeps between pages: name lookups and TLS sessions, so a fresh object to a server
// an earlier one reached resumes the session instead of a full handshake. Connections are not
// shared: an idle one would outlive every object and keep its server waiting on it. The share has
// no lock callbacks and so belongs to one thread: an object uses it only for exchanges on the
// thread that made it. Each object holds the share, so it outlives its thread while in use.
const ShareHandle& this_threads_share() {
  thread_local const ShareHandle share = [] {
    init_curl_once();
    CURLSH* handle = curl_share_init();
    if (handle) {
      curl_share_setopt(handle, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
      curl_share_setopt(handle, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
    }
    return ShareHandle(handle, ShareDeleter());
  }();
  return share;
}

// ---- Trust -------------------------------------------------------------------------------------

// The system bundle plus what SSL_CERT_FILE / SSL_CERT_DIR name (OpenSSL's default paths read
// them; a named file replaces the system bundle there, so that is loaded as well).
X509_STORE* load_trust_store() {
  X509_STORE* store = X509_STORE_new();
  if (!store) return nullptr;
  X509_STORE_set_default_paths(store);
  const char* named_file = std::getenv(X509_get_default_cert_file_env());
  if (named_file && *named_file) X509_STORE_load_file(store, X509_get_default_cert_file());
  ERR_clear_error();  // a missing default file is not an error worth reporting to curl
  return store;
}

X509_STORE* shared_trust_store() {
  static X509_STORE* const store = load_trust_store();  // lives as long as the process
  return store;
}

int ignore_flags_index() {
  static const int index = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
  return index;
}

bool is_ignored(std::int32_t flags, int verify_error) {
  switch (verify_error) {
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_CERT_UNTRUSTED:
      return flags & kIgnoreUnknownCa;
    case X509_V_ERR_INVALID_PURPOSE:
      return flags & kIgnoreWrongUsage;
    case X509_V_ERR_CERT_NOT_YET_VALID:
    case X509_V_ERR_CERT_HAS_EXPIRED:
      return flags & kIgnoreBadDate;
    default:
      return false;
  }
}

// Clears the verification errors the caller asked to ignore, so the chain still counts as verified
// for them and fails for every other error.
int verify_ignoring_flagged_errors(int preverified, X509_STORE_CTX* store_ctx) {
  if (preverified) return 1;
  auto* ssl = static_cast<SSL*>(
      X509_STORE_CTX_get_ex_data(store_ctx, SSL_get_ex_data_X509_STORE_CTX_idx()));
  if (!ssl) return 0;
  auto flags = static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(
      SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), ignore_flags_index())));
  if (!is_ignored(flags, X509_STORE_CTX_get_error(store_ctx))) return 0;
  X509_STORE_CTX_set_error(store_ctx, X509_V_OK);
  return 1;
}

struct TlsPolicy {
  TrustStoreLoading loading = TrustStoreLoading::shared;
  std::int32_t ignore_flags = 0;
};

CURLcode install_trust(CURL*, void* ssl_ctx, void* policy_pointer) {
  auto* ctx = static_cast<SSL_CTX*>(ssl_ctx);
  const auto& policy = *static_cast<const TlsPolicy*>(policy_pointer);
  if (policy.loading == TrustStoreLoading::shared) {
    X509_STORE* store = shared_trust_store();
    if (!store) return CURLE_SSL_CACERT_BADFILE;
    SSL_CTX_set1_cert_store(ctx, store);
  } else {
    X509_STORE* store = load_trust_store();
    if (!store) return CURLE_SSL_CACERT_BADFILE;
    SSL_CTX_set_cert_store(ctx, store);  // the context takes it over
  }
  if (policy.ignore_flags & (kIgnoreUnknownCa | kIgnoreWrongUsage | kIgnoreBadDate)) {
    SSL_CTX_set_ex_data(ctx, ignore_flags_index(),
                        reinterpret_cast<void*>(static_cast<std::intptr_t>(policy.ignore_flags)));
    SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, verify_ignoring_flagged_errors);
  }
  return CURLE_OK;
}

// ---- Text at the edges -------------------------------------------------------------------------

std::string wide_to_utf8(const std::u16string& wide) {
  if (wide.empty()) return {};
  int size = static_cast<int>(wide.size());
  int needed = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(needed, '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, out.data(), needed, nullptr, nullptr);
  return out;
}

std::u16string utf8_to_wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  int size = static_cast<int>(utf8.size());
  int needed = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::u16string out(needed, u'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, out.data(), needed);
  return out;
}

// Header bytes are UTF-8 when they decode as such, otherwise text in the ANSI code page.
std::u16string header_bytes_to_wide(std::string_view bytes) {
  return is_valid_utf8(bytes) ? utf8_to_wide(bytes) : ansi_to_wide(bytes);
}

bool is_token_char(char16_t c) {
  if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')) return true;
  return std::u16string_view(u"!#$%&'*+-.^_`|~").find(c) != std::u16string_view::npos;
}

bool is_token(const std::u16string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), is_token_char);
}

bool has_line_break(const std::u16string& s) {
  return s.find_first_of(std::u16string_view(u"\r\n\0", 3)) != std::u16string::npos;
}

bool equals_ignoring_case(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// ---- curl plumbing -----------------------------------------------------------------------------

struct SlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using HeaderLines = std::unique_ptr<curl_slist, SlistDeleter>;

void append_line(HeaderLines& lines, const std::string& line) {
  curl_slist* grown = curl_slist_append(lines.get(), line.c_str());
  if (grown && !lines) lines.reset(grown);  // a non-empty list keeps its head
}

struct Header {
  std::string name;
  std::string value;
};

// What the callbacks of one exchange share: the reply as it arrives and the progress watchdog.
struct Transfer {
  std::int32_t send_limit_ms = 0;
  std::int32_t receive_limit_ms = 0;
  bool connected = false;
  Clock::time_point last_progress;
  curl_off_t last_downloaded = 0;
  curl_off_t last_uploaded = 0;
  Bytes body;
  std::string header_block;
  bool header_block_too_big = false;
};

size_t collect_body(char* data, size_t size, size_t count, void* pointer) {
  auto& transfer = *static_cast<Transfer*>(pointer);
  size_t n = size * count;
  if (transfer.body.size() + n > kMaxResponseBodyBytes) return 0;  // aborts the transfer
  transfer.body.insert(transfer.body.end(), data, data + n);
  return n;
}

// Keeps the block of the last response only: every status line starts a new block.
size_t collect_header_line(char* data, size_t size, size_t count, void* pointer) {
  auto& transfer = *static_cast<Transfer*>(pointer);
  size_t n = size * count;
  std::string_view line(data, n);
  if (line.starts_with("HTTP/")) transfer.header_block.clear();
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  if (transfer.header_block.size() + line.size() + 2 > kMaxResponseHeaderBytes) return 0;
  transfer.header_block.append(line).append("\r\n");
  return n;
}

int mark_connected(void* pointer, char*, char*, int, int) {
  auto& transfer = *static_cast<Transfer*>(pointer);
  transfer.connected = true;
  transfer.last_progress = Clock::now();
  return CURL_PREREQFUNC_OK;
}

// Send and receive time-outs bound each wait for progress, not the whole transfer: a large body on
// a slow link goes on as long as bytes move.
int watch_progress(void* pointer, curl_off_t, curl_off_t downloaded, curl_off_t upload_total,
                   curl_off_t uploaded) {
  auto& transfer = *static_cast<Transfer*>(pointer);
  if (!transfer.connected) return 0;  // the connect time-out covers this phase
  Clock::time_point now = Clock::now();
  if (downloaded != transfer.last_downloaded || uploaded != transfer.last_uploaded) {
    transfer.last_downloaded = downloaded;
    transfer.last_uploaded = uploaded;
    transfer.last_progress = now;
    return 0;
  }
  std::int32_t limit = uploaded < upload_total ? transfer.send_limit_ms : transfer.receive_limit_ms;
  if (limit <= 0) return 0;
  return now - transfer.last_progress > std::chrono::milliseconds(limit) ? 1 : 0;
}

}  // namespace

struct CurlHttpRequest::State {
  CURL* curl = nullptr;
  ShareHandle share;  // of the thread that made the object

  // Kept for the object's life.
  std::int32_t resolve_timeout_ms = 0;
  std::int32_t connect_timeout_ms = 60000;
  std::int32_t send_timeout_ms = 30000;
  std::int32_t receive_timeout_ms = 30000;
  std::string proxy;  // empty: direct
  bool follow_redirects = true;
  TlsPolicy tls;

  // The exchange being prepared.
  bool opened = false;
  std::string method;
  std::string url;
  bool https = false;
  std::vector<Header> headers;
  std::optional<std::string> proxy_authorization;

  // The last reply.
  bool has_response = false;
  Bytes body;
  std::string header_block;
  std::int32_t status = 0;

  void forget_request() {
    opened = false;
    headers.clear();
    proxy_authorization.reset();
  }

  void forget_response() {
    has_response = false;
    body.clear();
    header_block.clear();
    status = 0;
  }

  bool has_header(std::string_view name) const {
    return std::any_of(headers.begin(), headers.end(),
                       [&](const Header& h) { return equals_ignoring_case(h.name, name); });
  }

  // The caller's headers, and removal of curl's own defaults the caller did not ask for.
  HeaderLines server_header_lines() const {
    HeaderLines lines;
    for (const Header& h : headers) {
      // "Name;" is curl's way to send a header with an empty value.
      append_line(lines, h.value.empty() ? h.name + ";" : h.name + ": " + h.value);
    }
    for (std::string_view own : {"Accept", "Content-Type", "Expect"}) {
      if (!has_header(own)) append_line(lines, std::string(own) + ":");
    }
    return lines;
  }

  void set_method_and_body(const char* body_data, size_t body_size) const {
    bool with_body = body_size > 0 || method == "POST" || method == "PUT";
    if (method == "HEAD") {
      curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    } else if (with_body) {
      curl_easy_setopt(curl, CURLOPT_POST, 1L);
      curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body_size > 0 ? body_data : "");
      curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body_size));
      if (method != "POST") curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.c_str());
    } else {
      curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
      if (method != "GET") curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.c_str());
    }
  }

  // An object used on a thread other than its own gives the share up for good: attaching it again
  // would orphan the session cache the handle made for itself meanwhile.
  CURLSH* share_for_this_exchange() {
    if (share && share != this_threads_share()) share.reset();
    return share.get();
  }

  bool perform(const char* body_data, size_t body_size) {
    curl_easy_reset(curl);  // keeps the connection and TLS session caches
    Transfer transfer;
    transfer.send_limit_ms = send_timeout_ms;
    transfer.receive_limit_ms = receive_timeout_ms;

    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);

    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, follow_redirects ? 1L : 0L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, https ? "https" : "http,https");

    std::int64_t connect_budget_ms =
        std::int64_t{std::max(resolve_timeout_ms, 0)} + std::max(connect_timeout_ms, 0);
    if (connect_budget_ms > 0) {
      curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connect_budget_ms));
    }
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, watch_progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_PREREQFUNCTION, mark_connected);
    curl_easy_setopt(curl, CURLOPT_PREREQDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect_body);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, collect_header_line);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);

    // An empty proxy also keeps curl from reading one from the environment.
    curl_easy_setopt(curl, CURLOPT_PROXY, proxy.c_str());
    curl_easy_setopt(curl, CURLOPT_HEADEROPT, CURLHEADER_SEPARATE);
    HeaderLines proxy_lines;
    if (!proxy.empty()) {
      curl_easy_setopt(curl, CURLOPT_HTTPPROXYTUNNEL, 1L);
      curl_easy_setopt(curl, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
      if (proxy_authorization) {
        append_line(proxy_lines, "Proxy-Authorization: " + *proxy_authorization);
      }
      curl_easy_setopt(curl, CURLOPT_PROXYHEADER, proxy_lines.get());
    }

    // Trust comes from the shared store only; curl's own bundle would be parsed per connection.
    curl_easy_setopt(curl, CURLOPT_CAINFO, nullptr);
    curl_easy_setopt(curl, CURLOPT_CAPATH, nullptr);
    curl_easy_setopt(curl, CURLOPT_PROXY_CAINFO, nullptr);
    curl_easy_setopt(curl, CURLOPT_PROXY_CAPATH, nullptr);
    curl_easy_setopt(curl, CURLOPT_SSL_CTX_FUNCTION, install_trust);
    curl_easy_setopt(curl, CURLOPT_SSL_CTX_DATA, &tls);
    if (tls.ignore_flags & kIgnoreWrongName) curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    if (tls.ignore_flags != 0) {
      // curl cannot tell a leniently verified connection or TLS session from a verified one:
      // neither may be reused by a later exchange, of this object or of any other.
      curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L);
      curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
      curl_easy_setopt(curl, CURLOPT_SSL_SESSIONID_CACHE, 0L);
    }

    HeaderLines server_lines = server_header_lines();
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, server_lines.get());
    set_method_and_body(body_data, body_size);

    // Attached for the exchange only, so the handle never holds the share between exchanges.
    CURLSH* caches = share_for_this_exchange();
    if (caches) curl_easy_setopt(curl, CURLOPT_SHARE, caches);
    CURLcode outcome = curl_easy_perform(curl);
    if (caches) curl_easy_setopt(curl, CURLOPT_SHARE, nullptr);
    long code = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &code);
    // A redirect to a scheme that is not allowed (https to http) is not followed: the redirect
    // itself is the reply.
    bool redirect_refused = outcome == CURLE_UNSUPPORTED_PROTOCOL && code / 100 == 3;
    if (outcome != CURLE_OK && !redirect_refused) return false;
    has_response = true;
    body = std::move(transfer.body);
    header_block = std::move(transfer.header_block);
    status = static_cast<std::int32_t>(code);
    return true;
  }
};

CurlHttpRequest::CurlHttpRequest(TrustStoreLoading trust) : state_(std::make_unique<State>()) {
  init_curl_once();
  state_->curl = curl_easy_init();
  state_->share = this_threads_share();
  state_->tls.loading = trust;
}

CurlHttpRequest::~CurlHttpRequest() {
  if (state_->curl) curl_easy_cleanup(state_->curl);
}

CallOutcome CurlHttpRequest::SetTimeouts(std::int32_t resolve, std::int32_t connect,
                                         std::int32_t send, std::int32_t receive) {
  state_->resolve_timeout_ms = resolve;
  state_->connect_timeout_ms = connect;
  state_->send_timeout_ms = send;
  state_->receive_timeout_ms = receive;
  return call_ok();
}

CallOutcome CurlHttpRequest::SetProxy(std::int32_t setting, const Variant& server) {
  if (setting == 0 || setting == 1) {
    state_->proxy.clear();
    return call_ok();
  }
  if (setting != kProxySettingProxy) return call_failed();
  auto wide = variant_to_wide(server);
  if (!wide || wide->empty() || has_line_break(*wide)) return call_failed();
  state_->proxy = wide_to_utf8(*wide);
  return call_ok();
}

CallOutcome CurlHttpRequest::SetRequestHeader(const Variant& name, const Variant& value) {
  auto wide_name = variant_to_wide(name);
  auto wide_value = variant_to_wide(value);
  if (!wide_name || !wide_value || !is_token(*wide_name) || has_line_break(*wide_value)) {
    return call_failed();
  }
  State& s = *state_;
  std::string header_name = wide_to_utf8(*wide_name);
  std::string header_value = wide_to_utf8(*wide_value);
  if (equals_ignoring_case(header_name, "Proxy-Authorization")) {
    s.proxy_authorization = std::move(header_value);
    return call_ok();
  }
  auto same = std::find_if(s.headers.begin(), s.headers.end(), [&](const Header& h) {
    return equals_ignoring_case(h.name, header_name);
  });
  if (same != s.headers.end()) {
    same->value = std::move(header_value);
  } else {
    s.headers.push_back({std::move(header_name), std::move(header_value)});
  }
  return call_ok();
}

CallOutcome CurlHttpRequest::Open(const Variant& method, const Variant& url, const Variant& async) {
  State& s = *state_;
  auto wide_method = variant_to_wide(method);
  auto wide_url = variant_to_wide(url);
  auto asynchronous = variant_to_bool(async);
  if (!s.curl || !wide_method || !wide_url || !asynchronous || *asynchronous ||
      !is_token(*wide_method)) {
    return call_failed();
  }
  CURLU* parsed = curl_url();
  bool accepted = parsed && curl_url_set(parsed, CURLUPART_URL, wide_to_utf8(*wide_url).c_str(),
                                         0) == CURLUE_OK;
  char* scheme = nullptr;
  char* normalised = nullptr;
  if (accepted) {
    accepted = curl_url_get(parsed, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
               curl_url_get(parsed, CURLUPART_URL, &normalised, 0) == CURLUE_OK &&
               (std::string_view(scheme) == "http" || std::string_view(scheme) == "https");
  }
  if (accepted) {
    if (s.opened) s.forget_request();  // the exchange opened before is abandoned
    s.forget_response();
    s.opened = true;
    s.method = wide_to_utf8(*wide_method);
    s.url = normalised;
    s.https = std::string_view(scheme) == "https";
  }
  curl_free(scheme);
  curl_free(normalised);
  curl_url_cleanup(parsed);
  return accepted ? call_ok() : call_failed();
}

CallOutcome CurlHttpRequest::put_Option(std::int32_t index, const Variant& value) {
  if (index == kOptionEnableRedirects) {
    auto enable = variant_to_bool(value);
    if (!enable) return call_failed();
    state_->follow_redirects = *enable;
    return call_ok();
  }
  if (index == kOptionSslErrorIgnoreFlags) {
    auto flags = variant_to_int(value);
    if (!flags) return call_failed();
    state_->tls.ignore_flags = *flags;
    return call_ok();
  }
  return call_failed();
}

CallOutcome CurlHttpRequest::get_Option(std::int32_t index) {
  if (index == kOptionEnableRedirects) return call_ok(Variant(state_->follow_redirects));
  if (index == kOptionSslErrorIgnoreFlags) return call_ok(Variant(state_->tls.ignore_flags));
  return call_failed();
}

CallOutcome CurlHttpRequest::Send(const Variant& body) {
  State& s = *state_;
  if (!s.opened) return call_failed();
  s.forget_response();
  bool completed;
  if (body.holds<Bytes>()) {
    const Bytes& bytes = body.get<Bytes>();
    completed = s.perform(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  } else {
    std::string utf8 = wide_to_utf8(variant_to_wide(body).value_or(u""));
    completed = s.perform(utf8.data(), utf8.size());
  }
  s.forget_request();
  return completed ? call_ok() : call_failed();
}

CallOutcome CurlHttpRequest::ResponseBody() {
  if (!state_->has_response) return call_failed();
  return call_ok(Variant(state_->body));
}

CallOutcome CurlHttpRequest::GetAllResponseHeaders() {
  if (!state_->has_response) return call_failed();
  return call_ok(Variant(header_bytes_to_wide(state_->header_block)));
}

CallOutcome CurlHttpRequest::Status() {
  if (!state_->has_response) return call_failed();
  return call_ok(Variant(state_->status));
}

}  // namespace varnelle::platform
