#include "ui/about_dialog.h"

#include "ui/dialog_builder.h"

namespace mixconv::ui {

AboutDialog::AboutDialog(QWidget* owner) : QDialog(owner) {
  BuildFromTemplate(*this, LoadDialogTemplate(IDD_ABOUTBOX));
  setWindowModality(Qt::WindowModal);
}

}  // namespace mixconv::ui
