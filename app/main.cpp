// varnelle: the window that reads the content of a QR-code image.

#include <QApplication>
#include <QPushButton>

#include "app/main_window.h"
#include "app/pick_picture.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  // Lets the desktop match the window with the installed launcher and its icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.varnelle.Varnelle"));

  varnelle::MainWindow window;
  QObject::connect(window.按钮1(), &QPushButton::clicked, &window,
                   [&window] { varnelle::pick_picture(window); });
  window.show();
  return application.exec();
}
