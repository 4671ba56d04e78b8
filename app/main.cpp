// varnelle: the window that reads the content of a QR-code image.

#include <QApplication>

#include "app/decode_workflow.h"
#include "app/main_window.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  // Lets the desktop match the window with the installed launcher and its icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.varnelle.Varnelle"));

  varnelle::MainWindow window;
  varnelle::bind_decode_workflow(window, varnelle::built_in_endpoints());
  window.show();
  return application.exec();
}
