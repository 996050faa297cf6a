#include "ui/about_dialog.h"

#include <QPushButton>

#include "ui/dialog_builder.h"

namespace mixconv::ui {

AboutDialog::AboutDialog(QWidget* owner) : QDialog(owner) {
  BuildFromTemplate(*this, LoadDialogTemplate(IDD_ABOUTBOX));
  setWindowModality(Qt::WindowModal);
  connect(findChild<QPushButton*>(QStringLiteral("IDOK")), &QPushButton::clicked, this,
          &QDialog::accept);
}

}  // namespace mixconv::ui
