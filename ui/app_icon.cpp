#include "ui/app_icon.h"

namespace mixconv::ui {

QIcon AppIcon() {
  QIcon icon;
  icon.addFile(QStringLiteral(":/mixconv/mixconv-32.xpm"));
  icon.addFile(QStringLiteral(":/mixconv/mixconv-16.xpm"));
  return icon;
}

}  // namespace mixconv::ui
