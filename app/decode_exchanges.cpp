#include "app/decode_exchanges.h"

#include <chrono>

#include "codec/url_encode.h"
#include "net/web_request.h"
#include "platform/codepage.h"

namespace varnelle {
namespace {

// Replies are JSON, which travels as UTF-8; a reply that is not valid UTF-8 is taken as it is.
Text reply_text(const Bytes& body) {
  Text text = bytes_to_text(body);
  return platform::is_valid_utf8(text) ? platform::utf8_to_ansi(text) : text;
}

// Adds the milliseconds since the last lap to one of the trace's figures.
class LapTimer {
 public:
  void lap(double& milliseconds) {
    const auto now = std::chrono::steady_clock::now();
    milliseconds += std::chrono::duration<double, std::milli>(now - last_).count();
    last_ = now;
  }

 private:
  std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

Text quoted_file_name(const Text& file_name) {
  return replace_text(replace_text(replace_text(file_name, "\"", "%22"), "\r", "%0D"), "\n", "%0A");
}

}  // namespace

Text upload_header_block(const ServiceEndpoints& endpoints) {
  return concat_text(
      concat_text("POST /upload.php?kid=", endpoints.upload_client_id, " HTTP/1.1\r\n"),
      concat_text("Host: ", endpoints.upload_host, "\r\n"),
      "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n",
      "Accept-Language: zh-cn,zh;q=0.8,en-us;q=0.5,en;q=0.3\r\n",
      concat_text("Referer: ", endpoints.decode_page_url(), "\r\n"),
      "Content-Type: multipart/form-data; boundary=---------------------------15960252185333\r\n",
      concat_text("Origin: https://", endpoints.service_host, "\r\n"), "Connection: keep-alive\r\n",
      "Pragma: no-cache\r\n", "Cache-Control: no-cache\r\n");
}

Bytes upload_body(const Text& file_name, const Bytes& image) {
  const Text body_template = kUploadBodyTemplate;
  const int marker = find_text(body_template, "{img}");
  const Text head = replace_text(text_left(body_template, marker - 1), "{imagename}",
                                 quoted_file_name(file_name));
  const Text tail = text_right(body_template, text_length(body_template) - (marker - 1) - 5);
  return concat_bytes(text_to_bytes(head), image, text_to_bytes(tail));
}

Text run_decode_exchanges(JsonDocument& document, const ServiceEndpoints& endpoints,
                          const Text& file_name, const Bytes& image, ExchangeTrace* trace) {
  ExchangeTrace scratch;
  ExchangeTrace& seen = trace ? *trace : scratch;
  const Bytes body = upload_body(file_name, image);
  LapTimer timer;

  Text page_cookies;
  WebRequestOptions page;
  page.returned_cookies = &page_cookies;
  page.status = &seen.page_status;
  web_request(endpoints.decode_page_url(), page);
  timer.lap(seen.page_ms);

  Text upload_cookies;
  Text headers = upload_header_block(endpoints);
  WebRequestOptions upload;
  upload.method = 1;
  upload.cookies = &page_cookies;
  upload.returned_cookies = &upload_cookies;
  upload.headers = &headers;
  upload.post_bytes = &body;
  upload.status = &seen.upload_status;
  seen.upload_reply = reply_text(web_request(endpoints.upload_url(), upload));
  timer.lap(seen.upload_ms);

  document.parse(seen.upload_reply);
  seen.image_path = document.get("data.path");
  const Text encoded_path = url_encode(seen.image_path, true);
  document.clear();
  timer.lap(seen.json_ms);

  WebRequestOptions decode;
  decode.method = 1;
  decode.post_text = concat_text("img=", encoded_path);
  decode.cookies = &upload_cookies;
  decode.status = &seen.decode_status;
  seen.decode_reply = reply_text(web_request(endpoints.decode_endpoint_url(), decode));
  timer.lap(seen.decode_ms);

  document.parse(seen.decode_reply);
  Text decoded = document.get("info.data[0]");
  timer.lap(seen.json_ms);
  return decoded;
}

}  // namespace varnelle
