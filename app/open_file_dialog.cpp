#include "app/open_file_dialog.h"

#include <QFileDialog>
#include <QStringList>

#include "app/qt_text.h"

namespace varnelle {

OpenFileDialog::OpenFileDialog(QWidget* window) : QObject(window), window_(window) {}

bool OpenFileDialog::show() {
  // No title, filter, start folder or default suffix of our own: the toolkit's defaults apply.
  QFileDialog dialog(window_);
  // Qt's own dialog honours every setting below on every desktop (a portal dialog may not
  // pre-fill an open dialog), and tests can answer it without a display.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (!file_name_.empty()) dialog.selectFile(to_qstring(file_name_));
  if (dialog.exec() != QDialog::Accepted) return false;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return false;
  file_name_ = to_text(chosen.first());
  return true;
}

}  // namespace varnelle
