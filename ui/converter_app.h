// The application: runs the main dialog and ends when it closes.
#pragma once

#include <QApplication>
#include <QLocale>
#include <QTemporaryDir>
#include <QTranslator>

namespace mixconv::ui {

// The toolkit's own texts (file dialog, edit menus) for locale; false where the
// system has no translation installed for it.
bool LoadToolkitTranslations(QTranslator& translator, const QLocale& locale);

class ConverterApp : public QApplication {
  Q_OBJECT

 public:
  ConverterApp(int& argc, char** argv);

  // Runs the main dialog to its end; the command line is not read.
  int RunMainDialog();

 private:
  // Where the toolkit's settings files go (the file dialog's history), removed
  // at exit: the program stores nothing between runs. (Windows and macOS keep
  // such settings in the registry and preferences, which this cannot move.)
  QTemporaryDir toolkitSettings_;
  QTranslator toolkitTranslator_;
};

}  // namespace mixconv::ui
