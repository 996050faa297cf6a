#include "ui/result_log_dialog.h"

#include <QListWidget>

#include "charset/report_text.h"
#include "ui/dialog_builder.h"

namespace mixconv::ui {

ResultLogDialog::ResultLogDialog() {
  BuildFromTemplate(*this, LoadDialogTemplate(IDD_RESULT_DIALOG));
  m_list = findChild<QListWidget*>(QStringLiteral("IDC_RESULT_LIST"));
}

int ResultLogDialog::AddLine(const char* text) {
  m_list->addItem(QString::fromStdString(ReportTextUtf8(text)));
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
