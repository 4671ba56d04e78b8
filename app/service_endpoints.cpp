#include "app/service_endpoints.h"

#include "app/built_in_endpoints.h"

namespace varnelle {

Text ServiceEndpoints::decode_page_url() const {
  return concat_text("https://", service_host, "/deqr/");
}

Text ServiceEndpoints::upload_url() const {
  return concat_text("https://", upload_host, "/upload.php?kid=", upload_client_id);
}

Text ServiceEndpoints::decode_endpoint_url() const {
  return concat_text("https://", service_host, "/apis/up/deqrimg");
}

ServiceEndpoints built_in_endpoints() {
  return {kBuiltInServiceHost, kBuiltInUploadHost, kBuiltInUploadClientId};
}

}  // namespace varnelle
