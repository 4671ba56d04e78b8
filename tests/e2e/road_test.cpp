// The whole road against a real varnelle-service on loopback: the window, pressed and answered as a
// user would, and the command-line program.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "app/decode_cli.h"
#include "app/decode_workflow.h"
#include "app/main_window.h"
#include "app/picture_box.h"
#include "dialog_driver.h"
#include "pictures.h"
#include "qr_fixture.h"
#include "service_harness.h"
#include "test_servers/silent_server.h"

namespace varnelle {
namespace {

using service::testing::qr_png;
using service::testing::RunningService;
using testing::press_open;
using testing::type_file_name;
using testing::when_shown;

// One service for the whole process: the process trusts its CA from the first exchange on.
const RunningService& running_service() {
  static RunningService service;
  static const bool trusted = setenv("SSL_CERT_FILE", service.ca_file().c_str(), 1) == 0;
  EXPECT_TRUE(trusted);
  return service;
}

ServiceEndpoints service_endpoints() {
  const std::string port = std::to_string(running_service().port());
  return {"localhost:" + port, "127.0.0.1:" + port, "varnelle"};
}

ServiceEndpoints unreachable_endpoints() {
  const std::string port = std::to_string(test::closed_port());
  return {"localhost:" + port, "127.0.0.1:" + port, "varnelle"};
}

const char kUrl[] = "https://example.org/varnelle?q=1&r=2";
const char kChinese[] = "\xE4\xBA\x8C\xE7\xBB\xB4\xE7\xA0\x81 https://\xE4\xBE\x8B\xE5\xAD\x90.cn";

class RoadTest : public ::testing::Test {
 protected:
  QString write(const QString& name, const std::vector<std::uint8_t>& bytes) {
    const QString path = folder.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    return path;
  }

  // Presses the button; the dialog that comes up picks path, or is cancelled when path is empty.
  QString press(MainWindow& window, const QString& path) {
    when_shown<QFileDialog>([path](QFileDialog& dialog) {
      if (path.isEmpty()) return dialog.reject();
      type_file_name(dialog, path);
      press_open(dialog);
    });
    window.按钮1()->click();
    return window.编辑框1()->text();
  }

  static bool shows_a_picture(MainWindow& window) {
    const QImage shot = window.图片框1()->grab().toImage();
    return !testing::drawn_rect(shot, shot.pixelColor(0, 0)).isEmpty();
  }

  QTemporaryDir folder;
};

TEST_F(RoadTest, TheWindowDecodesAPickedImageAndAgainAfterACancel) {
  MainWindow window;
  bind_decode_workflow(window, service_endpoints());
  const QString path = write(QStringLiteral("二维码 1.png"), qr_png(kUrl));

  EXPECT_EQ(press(window, path), QString::fromUtf8(kUrl));
  EXPECT_EQ(window.编辑框1()->cursorPosition(), 0);
  EXPECT_TRUE(shows_a_picture(window));

  window.编辑框1()->clear();
  EXPECT_EQ(press(window, QString()), QString::fromUtf8(kUrl));
}

TEST_F(RoadTest, TheWindowShowsChineseTextRight) {
  MainWindow window;
  bind_decode_workflow(window, service_endpoints());
  const QString path = write(QStringLiteral("chinese.png"), qr_png(kChinese));
  EXPECT_EQ(press(window, path), QString::fromUtf8(kChinese));
}

TEST_F(RoadTest, EveryFailureEndsInAnEmptyEditBox) {
  const QString qr = write(QStringLiteral("qr.png"), qr_png(kUrl));
  const QString empty = write(QStringLiteral("empty.png"), {});
  const QString not_a_code =
      write(QStringLiteral("red.png"), testing::png_file(testing::solid_image({40, 40}, Qt::red)));
  struct Case {
    const char* what;
    QString path;  // empty: the dialog is cancelled before any choice
    ServiceEndpoints endpoints;
  } cases[] = {
      {"dialog cancelled before any choice", {}, service_endpoints()},
      {"empty file", empty, service_endpoints()},
      {"picture without a code", not_a_code, service_endpoints()},
      {"service down", qr, unreachable_endpoints()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MainWindow window;
    bind_decode_workflow(window, c.endpoints);
    window.编辑框1()->setText(QStringLiteral("stale"));
    EXPECT_EQ(press(window, c.path), QString());
  }
}

class DecodeCliTest : public RoadTest {
 protected:
  int run(const std::vector<std::string>& args, const ServiceEndpoints& endpoints) {
    out.str({});
    err.str({});
    return run_decode_cli(args, endpoints, out, err);
  }
  std::ostringstream out, err;
};

TEST_F(DecodeCliTest, PrintsTheTextOfEveryFile) {
  const QString first = write(QStringLiteral("one.png"), qr_png(kUrl));
  const QString second = write(QStringLiteral("二.png"), qr_png(kChinese));
  EXPECT_EQ(run({first.toStdString(), second.toStdString()}, service_endpoints()), 0);
  EXPECT_EQ(out.str(), std::string(kUrl) + "\n" + kChinese + "\n");
  EXPECT_EQ(err.str(), "");
}

TEST_F(DecodeCliTest, SaysWhatWentWrongAndFails) {
  const std::string qr = write(QStringLiteral("qr.png"), qr_png(kUrl)).toStdString();
  const std::string not_a_code =
      write(QStringLiteral("red.png"), testing::png_file(testing::solid_image({40, 40}, Qt::red)))
          .toStdString();
  struct Case {
    const char* what;
    std::vector<std::string> args;
    ServiceEndpoints endpoints;
    int status;
    std::string message;
  } cases[] = {
      {"no file", {}, service_endpoints(), 2, "usage: varnelle-decode FILE..."},
      {"missing file", {folder.filePath("none.png").toStdString()}, service_endpoints(), 1,
       "cannot read the file"},
      {"no code", {not_a_code}, service_endpoints(), 1, "no QR code found"},
      {"service down", {qr}, unreachable_endpoints(), 1,
       "cannot reach the service for the decode page (exchange 1 of 3)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(run(c.args, c.endpoints), c.status);
    EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
    EXPECT_EQ(out.str(), "");
  }
}

TEST(DecodeCliProgram, ReportsAnUnreadableFileWithAFailingStatus) {
  const std::string command =
      std::string(VARNELLE_DECODE_PROGRAM) + " /nonexistent/varnelle-test.png 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buffer[256];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
  const int status = pclose(pipe);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
  EXPECT_EQ(output,
            "varnelle-decode: /nonexistent/varnelle-test.png: cannot read the file, or it is empty\n");
}

}  // namespace
}  // namespace varnelle
