#include "ui/converter_app.h"

#include <QSettings>

#include "engine/convert.h"
#include "ui/app_icon.h"
#include "ui/converter_dialog.h"
#include "ui/dialog_template.h"
#include "version.h"

namespace mixconv::ui {

ConverterApp::ConverterApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("mixconv"));
  setApplicationVersion(QLatin1String(kVersionText));
  setWindowIcon(AppIcon());
  RegisterFontSubstitutes();
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, toolkitSettings_.path());
}

int ConverterApp::RunMainDialog() {
  ConverterDialog dialog;
  dialog.exec();
  // Nothing reports once the result log window is gone.
  ActiveResultLog = nullptr;
  return 0;
}

}  // namespace mixconv::ui
