// varnelle-decode FILE...: prints the text of the QR code in each image.

#include <QCoreApplication>
#include <iostream>

#include "app/decode_cli.h"

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);  // the script engine needs one
  std::vector<std::string> args(argv + 1, argv + argc);
  return varnelle::run_decode_cli(args, varnelle::built_in_endpoints(), std::cout, std::cerr);
}
