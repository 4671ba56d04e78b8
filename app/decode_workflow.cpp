#include "app/decode_workflow.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include "app/decode_exchanges.h"
#include "app/main_window.h"
#include "app/open_file_dialog.h"
#include "app/picture_box.h"
#include "app/qt_text.h"
#include "json/json_document.h"
#include "text/text_helpers.h"

namespace varnelle {
namespace {

// The window cannot repaint during a run; the cursor at least says that it is busy.
class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

void decode_workflow(MainWindow& window, const ServiceEndpoints& endpoints) {
  JsonDocument document;
  window.通用对话框1()->show();  // a cancel goes on with the last confirmed file
  WaitCursor wait;
  const Text file_path = window.通用对话框1()->file_name();
  const Text file_name = text_right_of_last(file_path, kPathSeparator);
  const Bytes image = read_file(file_path);
  window.图片框1()->set_picture(image);
  const Text decoded = run_decode_exchanges(document, endpoints, file_name, image);
  window.编辑框1()->setText(to_qstring(decoded));
  window.编辑框1()->setCursorPosition(0);  // a long address shows from its start
}

void bind_decode_workflow(MainWindow& window, ServiceEndpoints endpoints) {
  QObject::connect(window.按钮1(), &QPushButton::clicked, &window,
                   [&window, endpoints = std::move(endpoints)] { decode_workflow(window, endpoints); });
}

}  // namespace varnelle
