#include "app/decode_cli.h"

#include "app/decode_exchanges.h"
#include "json/json_document.h"
#include "platform/codepage.h"
#include "text/text_helpers.h"

namespace varnelle {
namespace {

constexpr char kUsage[] =
    "usage: varnelle-decode FILE...\n"
    "Decodes the QR code in each image FILE through the decoding service and prints its text,\n"
    "one line per file. Exits with 1 when any file could not be decoded.\n";

std::string to_utf8(const Text& text) { return platform::ansi_to_utf8_string(text); }

// The service's own words on a reply, when it gave any.
std::string service_message(const Text& reply) {
  JsonDocument document;
  document.parse(reply);
  const Text message = document.get("msg");
  return message.empty() ? std::string() : " (the service says: " + to_utf8(message) + ")";
}

std::string exchange_failure(const char* what, const Text& url, int status) {
  return status == 0 ? std::string("cannot reach the service for ") + what + " at " + to_utf8(url)
                     : std::string(what) + " failed with HTTP status " + std::to_string(status);
}

// Says why a decode gave no text; empty when nothing went wrong.
std::string what_went_wrong(const ExchangeTrace& trace, const ServiceEndpoints& endpoints) {
  if (trace.page_status != 200)
    return exchange_failure("the decode page (exchange 1 of 3)", endpoints.decode_page_url(),
                            trace.page_status);
  if (trace.upload_status != 200)
    return exchange_failure("the upload (exchange 2 of 3)", endpoints.upload_url(),
                            trace.upload_status) +
           service_message(trace.upload_reply);
  if (trace.image_path.empty())
    return "the upload reply holds no image path" + service_message(trace.upload_reply);
  if (trace.decode_status != 200)
    return exchange_failure("the decode request (exchange 3 of 3)", endpoints.decode_endpoint_url(),
                            trace.decode_status) +
           service_message(trace.decode_reply);
  return "no QR code found" + service_message(trace.decode_reply);
}

bool decode_one(const std::string& argument, const ServiceEndpoints& endpoints, std::ostream& out,
                std::ostream& err) {
  const Text file_path = platform::utf8_to_ansi(argument);
  const Bytes image = read_file(file_path);
  if (image.empty()) {
    err << "varnelle-decode: " << argument << ": cannot read the file, or it is empty\n";
    return false;
  }
  JsonDocument document;
  ExchangeTrace trace;
  const Text decoded = run_decode_exchanges(
      document, endpoints, text_right_of_last(file_path, kPathSeparator), image, &trace);
  if (decoded.empty()) {
    err << "varnelle-decode: " << argument << ": " << what_went_wrong(trace, endpoints) << "\n";
    return false;
  }
  out << to_utf8(decoded) << "\n";
  return true;
}

}  // namespace

int run_decode_cli(const std::vector<std::string>& args, const ServiceEndpoints& endpoints,
                   std::ostream& out, std::ostream& err) {
  if (args.empty() || args[0] == "--help" || args[0] == "-h") {
    (args.empty() ? err : out) << kUsage;
    return args.empty() ? 2 : 0;
  }
  bool all_decoded = true;
  for (const std::string& argument : args) {
    all_decoded = decode_one(argument, endpoints, out, err) && all_decoded;
  }
  out.flush();
  return all_decoded ? 0 : 1;
}

}  // namespace varnelle
