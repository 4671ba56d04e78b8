#pragma once
// The three exchanges of one decode, shared by the window and the command line: the decode page
// for its cookies, the multipart upload, and the decode request. Nothing here checks for failure:
// an exchange that fails leaves empty values that flow on, and the decoded text comes out empty.

#include <cstdint>

#include "app/service_endpoints.h"
#include "json/json_document.h"
#include "text/text.h"

namespace varnelle {

inline constexpr char kUploadBodyTemplate[] =
    "-----------------------------15960252185333\r\n"
    "Content-Disposition: form-data; name=\"Filedata\"; filename=\"{imagename}\"\r\n"
    "Content-Type: image/png\r\n"
    "\r\n"
    "{img}\r\n"
    "-----------------------------15960252185333--";

// The separator that ends the directory part of a path on this platform.
inline constexpr char kPathSeparator[] = "/";

// The ten header lines of the upload, each followed by "\r\n".
Text upload_header_block(const ServiceEndpoints& endpoints);

// The multipart body: the template with the file name in place of "{imagename}" and the image in
// place of the template's own "{img}" marker only. A double quote, CR or LF in the name is sent as
// %22, %0D or %0A, as browsers do, so the name cannot break the part header.
Bytes upload_body(const Text& file_name, const Bytes& image);

// What each exchange gave, for callers that tell the user what went wrong.
struct ExchangeTrace {
  std::int32_t page_status = 0;
  std::int32_t upload_status = 0;
  std::int32_t decode_status = 0;
  Text upload_reply;  // the reply texts as parsed, in the ANSI code page
  Text decode_reply;
  Text image_path;  // the stored image's path, before it is percent-encoded
  // Wall-clock milliseconds of each exchange and of the JSON work between and after them.
  double page_ms = 0;
  double upload_ms = 0;
  double decode_ms = 0;
  double json_ms = 0;
};

// Runs the three exchanges for the image and returns the decoded text. The document must be
// freshly constructed; it is left holding the decode reply.
Text run_decode_exchanges(JsonDocument& document, const ServiceEndpoints& endpoints,
                          const Text& file_name, const Bytes& image,
                          ExchangeTrace* trace = nullptr);

}  // namespace varnelle
