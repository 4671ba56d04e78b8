#pragma once
// Answers a modal dialog from the test: the action runs inside the dialog's own loop, once the
// dialog is up, and must close it. A dialog that may never come goes with `scope`.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

namespace varnelle::testing {

template <class Dialog>
void when_shown(std::function<void(Dialog&)> action, QObject* scope = qApp) {
  auto* poll = new QTimer(scope);
  poll->setInterval(10);
  QObject::connect(poll, &QTimer::timeout, [poll, action] {
    auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    poll->stop();
    poll->deleteLater();
    action(*dialog);
  });
  poll->start();
}

// Types a path into the file name box, as the user would. The box must have the focus: only
// then does typing replace a file selected in the list.
inline void type_file_name(QFileDialog& dialog, const QString& path) {
  auto* file_name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  dialog.activateWindow();
  if (!QTest::qWaitForWindowActive(&dialog)) ADD_FAILURE() << "the file dialog never came up";
  file_name->setFocus();
  file_name->setText(path);
}

// Presses Open.
inline void press_open(QFileDialog& dialog) {
  dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open)->click();
}

}  // namespace varnelle::testing
