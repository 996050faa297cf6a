#include "ui/converter_app.h"

#include <QLibraryInfo>
#include <QSettings>

#include "engine/convert.h"
#include "ui/app_icon.h"
#include "ui/converter_dialog.h"
#include "ui/dialog_template.h"
#include "version.h"

namespace mixconv::ui {

bool LoadToolkitTranslations(QTranslator& translator, const QLocale& locale) {
  return translator.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

ConverterApp::ConverterApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QLatin1String(kProgramName));
  setApplicationVersion(QLatin1String(kVersionText));
  setWindowIcon(AppIcon());
  RegisterFontSubstitutes();
  // The dialogs are Japanese; under a Japanese locale the toolkit's texts are too.
  if (LoadToolkitTranslations(toolkitTranslator_, QLocale::system())) {
    installTranslator(&toolkitTranslator_);
  }
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
