#include "service/routes.h"

#include <algorithm>
#include <thread>

#include "image/image.h"
#include "service/form_fields.h"
#include "service/json_reply.h"
#include "service/multipart.h"
#include "service/qr_decoder.h"
#include "service/session.h"

namespace varnelle::service {
namespace {

constexpr const char* kJson = "application/json; charset=utf-8";
// A decode request holds one short path; anything much longer is not one.
constexpr std::size_t kMaxFormBody = 64 * 1024;

enum class BodyRead { ok, too_large, broken };

// Reads the body through the reader (which also undoes a Content-Encoding), never holding more
// than limit bytes of it. A body whose declared length passes the server's limit is refused by
// the reader itself, with 413.
BodyRead read_body(const httplib::ContentReader& reader, const httplib::Response& res,
                   std::size_t limit, std::string& body) {
  bool too_large = false;
  bool ok = reader([&](const char* data, std::size_t size) {
    if (size > limit - body.size()) {
      too_large = true;
      return false;
    }
    body.append(data, size);
    return true;
  });
  if (ok) return BodyRead::ok;
  return too_large || res.status == 413 ? BodyRead::too_large : BodyRead::broken;
}

std::string session_of(const httplib::Request& req) {
  std::vector<std::string> cookies;
  auto [first, last] = req.headers.equal_range("Cookie");
  for (auto it = first; it != last; ++it) cookies.push_back(it->second);
  return session_from_cookies(cookies).value_or("");
}

std::string_view extension_of(image::Format format) {
  switch (format) {
    case image::Format::bmp: return "bmp";
    case image::Format::jpeg: return "jpg";
    case image::Format::png: return "png";
    case image::Format::ico: return "ico";
    case image::Format::cur: return "cur";
    case image::Format::gif: return "gif";
    case image::Format::pcx8:
    case image::Format::pcx1: return "pcx";
    case image::Format::none: break;
  }
  return "bin";
}

void reply(httplib::Response& res, int status, const std::string& json) {
  res.status = status;
  res.set_content(json, kJson);
}

const char* status_text(int status) {
  switch (status) {
    case 400: return "bad request";
    case 404: return "no such path";
    case 405: return "method not allowed";
    case 413: return "the request body is too large";
    case 414: return "the request line is too long";
    default: return "error";
  }
}

// httplib runs every multipart/form-data body through its own parser, which refuses a body
// without a line break after the closing delimiter (as Varnelle sends it). The type is moved
// aside before routing, so the body reaches the routes raw and multipart.h reads it.
constexpr const char* kMultipartType = "X-Varnelle-Multipart-Type";

void hide_multipart_type(httplib::Request& req) {
  req.headers.erase(kMultipartType);
  auto type = req.headers.find("Content-Type");
  if (type == req.headers.end() || !multipart_boundary(type->second)) return;
  req.headers.emplace(kMultipartType, type->second);
  type->second = "application/octet-stream";
}

class DecodeSlot {
 public:
  explicit DecodeSlot(std::counting_semaphore<256>& slots) : slots_(slots) { slots_.acquire(); }
  ~DecodeSlot() { slots_.release(); }
  DecodeSlot(const DecodeSlot&) = delete;
  DecodeSlot& operator=(const DecodeSlot&) = delete;

 private:
  std::counting_semaphore<256>& slots_;
};

std::ptrdiff_t decode_slot_count(int threads) {
  unsigned processors = std::max(1u, std::thread::hardware_concurrency());
  return std::clamp<std::ptrdiff_t>(processors, 1, std::min(threads, 256));
}

}  // namespace

Routes::Routes(const ServiceOptions& options, RequestLog& log)
    : options_(options),
      log_(log),
      store_(options.store_cap, options.expire),
      page_(make_decode_page(options.client_id)),
      decode_slots_(decode_slot_count(options.threads)) {}

void Routes::install(httplib::Server& server) {
  using httplib::Request;
  using httplib::Response;
  server.set_default_headers({{"Cache-Control", "no-store"},
                              {"X-Content-Type-Options", "nosniff"},
                              {"Referrer-Policy", "no-referrer"}});
  server.set_payload_max_length(options_.max_upload);
  // A client that asks first learns about a too large body before sending any of it.
  server.set_expect_100_continue_handler([this](const Request& req, Response& res) {
    RequestLog::mark_start();
    if (req.get_header_value<std::uint64_t>("Content-Length") > options_.max_upload) {
      res.status = 413;
      return 413;
    }
    return 100;
  });
  server.set_pre_routing_handler([](const Request& req, Response& res) {
    RequestLog::mark_start();
    if (req.method == "POST") {
      hide_multipart_type(const_cast<Request&>(req));
      return httplib::Server::HandlerResponse::Unhandled;
    }
    if (req.method == "GET" || req.method == "HEAD")
      return httplib::Server::HandlerResponse::Unhandled;
    res.status = 405;
    res.set_header("Allow", "GET, HEAD, POST");
    res.set_header("Connection", "close");
    return httplib::Server::HandlerResponse::Handled;
  });
  server.set_error_handler(httplib::Server::HandlerWithResponse(
      [](const Request&, Response& res) {
        if (!res.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
        reply(res, res.status, error_reply(res.status, status_text(res.status)));
        return httplib::Server::HandlerResponse::Handled;
      }));
  server.set_exception_handler([](const Request&, Response& res, std::exception_ptr) {
    reply(res, 500, error_reply(500, "internal error"));
  });
  server.set_logger([this](const Request& req, const Response& res) {
    log_.write(req.method, req.path, res.status);
  });

  server.Get("/deqr/", [this](const Request& req, Response& res) { serve_page(req, res); });
  server.Get("/|/deqr", [](const Request&, Response& res) { res.set_redirect("/deqr/"); });
  server.Post("/upload.php",
              [this](const Request& req, Response& res, const httplib::ContentReader& reader) {
                upload(req, res, reader);
              });
  server.Post("/apis/up/deqrimg",
              [this](const Request& req, Response& res, const httplib::ContentReader& reader) {
                decode(req, res, reader);
              });
  // Unknown POST paths still have their body read, within bounds, so the connection stays sound.
  server.Post(".*", [](const Request&, Response& res, const httplib::ContentReader& reader) {
    std::string ignored;
    read_body(reader, res, kMaxFormBody, ignored);
    reply(res, 404, error_reply(404, "no such path"));
  });
}

void Routes::serve_page(const httplib::Request&, httplib::Response& res) {
  res.set_header("Set-Cookie", session_cookie(random_token()));
  res.set_header("Content-Security-Policy", page_.content_security_policy);
  res.set_content(page_.html, "text/html; charset=utf-8");
}

void Routes::upload(const httplib::Request& req, httplib::Response& res,
                    const httplib::ContentReader& reader) {
  std::string body;
  switch (read_body(reader, res, options_.max_upload, body)) {
    case BodyRead::ok: break;
    case BodyRead::too_large:
      return reply(res, 413, upload_reply(413, "the upload is larger than " +
                                                   std::to_string(options_.max_upload) +
                                                   " bytes"));
    case BodyRead::broken:
      return reply(res, 400, upload_reply(400, "the request body could not be read"));
  }
  if (req.get_param_value("kid") != options_.client_id)
    return reply(res, 403, upload_reply(403, "unknown client id"));
  auto boundary = multipart_boundary(req.get_header_value(kMultipartType));
  if (!boundary) return reply(res, 415, upload_reply(415, "expected multipart/form-data"));
  auto parts = parse_multipart(body, *boundary);
  if (!parts) return reply(res, 400, upload_reply(400, "malformed multipart body"));
  auto file = std::ranges::find(*parts, std::string("Filedata"), &MultipartPart::name);
  if (file == parts->end()) return reply(res, 400, upload_reply(400, "no Filedata field"));
  if (file->content.empty()) return reply(res, 400, upload_reply(400, "the file is empty"));

  std::vector<std::uint8_t> bytes(file->content.begin(), file->content.end());
  std::string().swap(body);  // the copy is all that is kept
  std::string_view extension = extension_of(image::sniff_format(bytes));
  auto path = store_.put(session_of(req), std::move(bytes), extension);
  if (!path) {
    res.set_header("Retry-After", "60");
    return reply(res, 503, upload_reply(503, "the store is full; try again later"));
  }
  reply(res, 200, upload_reply(200, "ok", *path));
}

void Routes::decode(const httplib::Request& req, httplib::Response& res,
                    const httplib::ContentReader& reader) {
  std::string body;
  switch (read_body(reader, res, kMaxFormBody, body)) {
    case BodyRead::ok: break;
    case BodyRead::too_large: return reply(res, 413, decode_reply(413, "the form is too large"));
    case BodyRead::broken:
      return reply(res, 400, decode_reply(400, "the request body could not be read"));
  }
  FormField img = form_field(body, "img");
  if (!img.value) {
    return reply(res, 400, decode_reply(400, img.error == FormError::missing
                                                 ? "no img field"
                                                 : "malformed img field"));
  }
  if (!handle_of_path(*img.value)) return reply(res, 400, decode_reply(400, "not an upload path"));
  auto picture = store_.take(*img.value, session_of(req));
  if (!picture) {
    return reply(res, 404, decode_reply(404, "no such upload: it has expired, was decoded "
                                             "already, or belongs to another session"));
  }
  QrDecodeResult result;
  {
    DecodeSlot slot(decode_slots_);
    result = decode_qr_codes(*picture);
  }
  picture.reset();
  switch (result.outcome) {
    case QrDecodeResult::Outcome::decoded: return reply(res, 200, decode_reply(200, "ok", result.texts));
    case QrDecodeResult::Outcome::no_code: return reply(res, 200, decode_reply(200, "no QR code found"));
    case QrDecodeResult::Outcome::not_image: return reply(res, 415, decode_reply(415, "not an image"));
  }
}

}  // namespace varnelle::service
