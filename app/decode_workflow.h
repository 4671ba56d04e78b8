#pragma once
// What the button does: pick an image, show it, have the service decode it, and put the decoded
// text into the edit box. It runs on the window thread and blocks it until the text is there.

#include "app/service_endpoints.h"

namespace varnelle {

class MainWindow;

void decode_workflow(MainWindow& window, const ServiceEndpoints& endpoints);

// Makes decode_workflow the click handler of the window's button.
void bind_decode_workflow(MainWindow& window, ServiceEndpoints endpoints);

}  // namespace varnelle
