// Turns a dialog template into live widgets on a QDialog.
#pragma once

#include <QDialog>
#include <QFont>
#include <QRect>

#include "ui/dialog_template.h"

namespace mixconv::ui {

// Dialog units scale with the dialog font: a quarter of its average character
// width across, an eighth of its height down.
class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);
  QRect ToPixels(const QRect& units) const;
  QSize ToPixels(const QSize& units) const;

 private:
  int baseWidth_;
  int baseHeight_;
};

// Sets the dialog's title, frame, font and fixed size, and creates every control at its
// place, in template order (which becomes the tab order). Controls are named after
// their ID's symbol, so tests and accessibility tools can find them; OK (ID 1) and
// Cancel (ID 2) buttons call the dialog's accept and reject.
void BuildFromTemplate(QDialog& dialog, const DialogTemplate& dialogTemplate);

}  // namespace mixconv::ui
