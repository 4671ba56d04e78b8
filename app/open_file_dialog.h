#pragma once
// The window's open-file dialog component. It is never drawn in the window; it remembers the last
// confirmed path as its file name and offers it again in the next dialog.

#include <QObject>

#include "text/text.h"

class QWidget;

namespace varnelle {

class OpenFileDialog : public QObject {
  Q_OBJECT

 public:
  // The dialog opens modal to `window`, which also owns the component.
  explicit OpenFileDialog(QWidget* window);

  // Shows the dialog and waits until it closes: true when the user confirmed a file, false on
  // cancel. Only a confirmation changes the file name.
  bool show();

  // The full path of the last confirmed file, or empty before any.
  const Text& file_name() const { return file_name_; }

 private:
  QWidget* window_;
  Text file_name_;
};

}  // namespace varnelle
