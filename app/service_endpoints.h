#pragma once
// Where the decoding service lives. The programs use the endpoints fixed when they were built;
// tests point the same code at a service they start themselves.

#include "text/text.h"

namespace varnelle {

struct ServiceEndpoints {
  Text service_host;      // the main site: the decode page and the decode endpoint
  Text upload_host;       // the upload endpoint
  Text upload_client_id;  // sent as "kid"

  Text decode_page_url() const;
  Text upload_url() const;
  Text decode_endpoint_url() const;
};

// The endpoints this build was configured with (VARNELLE_SERVICE_HOST, VARNELLE_UPLOAD_HOST,
// VARNELLE_UPLOAD_CLIENT_ID).
ServiceEndpoints built_in_endpoints();

}  // namespace varnelle
