#pragma once
// The service's paths on an HTTPS server: the decode page, the upload and the decode endpoint,
// and the JSON error replies for everything else.

#include <httplib.h>

#include <semaphore>
#include <string>

#include "service/decode_page.h"
#include "service/options.h"
#include "service/request_log.h"
#include "service/upload_store.h"

namespace varnelle::service {

class Routes {
 public:
  Routes(const ServiceOptions& options, RequestLog& log);

  void install(httplib::Server& server);

  const UploadStore& store() const { return store_; }

 private:
  void serve_page(const httplib::Request& req, httplib::Response& res);
  void upload(const httplib::Request& req, httplib::Response& res,
              const httplib::ContentReader& reader);
  void decode(const httplib::Request& req, httplib::Response& res,
              const httplib::ContentReader& reader);

  const ServiceOptions& options_;
  RequestLog& log_;
  UploadStore store_;
  const DecodePage page_;
  // Decoding is where the time and the memory go: no more decodes at once than processors.
  std::counting_semaphore<256> decode_slots_;
};

}  // namespace varnelle::service
