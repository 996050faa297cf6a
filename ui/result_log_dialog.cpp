#include "ui/result_log_dialog.h"

#include <QListWidget>

#include "ui/dialog_builder.h"

namespace mixconv::ui {

ResultLogDialog::ResultLogDialog() {
  BuildFromTemplate(*this, LoadDialogTemplate(IDD_RESULT_DIALOG));
  m_list = findChild<QListWidget*>(QStringLiteral("IDC_RESULT_LIST"));
}

// Lines carry file paths, so they are in the platform's 8-bit encoding.
int ResultLogDialog::AddLine(const char* text) {
  m_list->addItem(QString::fromLocal8Bit(text));
  return 0;
}

void ResultLogDialog::ShowWindow() {
  if (!isVisible()) {
    show();
    raise();
    activateWindow();
  }
}

void ResultLogDialog::accept() { emit applicationExitRequested(); }

}  // namespace mixconv::ui
