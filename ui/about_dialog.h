// The about box: icon, version and a notice line.
#pragma once

#include <QDialog>

namespace mixconv::ui {

class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  // Modal over its owner only, so that other windows stay usable.
  explicit AboutDialog(QWidget* owner);
};

}  // namespace mixconv::ui
