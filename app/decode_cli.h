#pragma once
// varnelle-decode: the decode road for scripts and headless machines. It prints each file's decoded
// text in UTF-8, one line each, and unlike the window it says what went wrong.

#include <ostream>
#include <string>
#include <vector>

#include "app/service_endpoints.h"

namespace varnelle {

// args are the file paths as the shell gave them (UTF-8). Returns the process exit status:
// 0 when every file was decoded, 1 when any was not, 2 for a wrong command line.
int run_decode_cli(const std::vector<std::string>& args, const ServiceEndpoints& endpoints,
                   std::ostream& out, std::ostream& err);

}  // namespace varnelle
