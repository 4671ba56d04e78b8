// The window against replies a real service would not give: what the user sees while a run lasts
// and after a reply the run cannot use.

#include <gtest/gtest.h>

#include <QCursor>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <atomic>

#include "app/decode_workflow.h"
#include "app/main_window.h"
#include "dialog_driver.h"
#include "scripted_service.h"

namespace varnelle {
namespace {

using test::ScriptedService;
using testing::when_shown;

class WindowRepliesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bind_decode_workflow(window, service.endpoints());
    answer_well();
  }

  void answer_well() {
    service.answer("/deqr/", {200, "<html></html>", {"sid=1"}});
    service.answer("/upload.php", {200, R"({"data":{"path":"/u/x.png"}})", {}});
    service.answer("/apis/up/deqrimg", {200, R"({"info":{"data":["decoded"]}})", {}});
    window.编辑框1()->setText(QStringLiteral("stale"));
  }

  // Presses the button and cancels the dialog: the run goes on with an empty file.
  QString press() {
    when_shown<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    window.按钮1()->click();
    return window.编辑框1()->text();
  }

  ScriptedService service;
  MainWindow window;
};

TEST_F(WindowRepliesTest, ShowsAWaitCursorWhileTheExchangesRun) {
  std::atomic<int> waiting{0};
  // The window thread is blocked in the exchange while the server answers it.
  service.on_request([&] {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    if (cursor && cursor->shape() == Qt::WaitCursor) ++waiting;
  });
  EXPECT_EQ(press(), QStringLiteral("decoded"));
  EXPECT_EQ(waiting.load(), 3);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(WindowRepliesTest, UnusableRepliesEmptyTheEditBox) {
  struct Case {
    const char* what;
    const char* path;
    test::ScriptedReply reply;
  } cases[] = {
      {"an HTML error page", "/apis/up/deqrimg", {502, "<html><h1>Bad Gateway</h1></html>", {}}},
      {"a decode reply that is not JSON", "/apis/up/deqrimg", {200, "decoded", {}}},
      {"a reply that loops forever", "/apis/up/deqrimg", {200, "(function(){for(;;);})()", {}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    answer_well();
    service.answer(c.path, c.reply);
    EXPECT_EQ(press(), QString());
  }
}

}  // namespace
}  // namespace varnelle
