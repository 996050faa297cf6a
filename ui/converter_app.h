// The application: runs the main dialog and ends when it closes.
#pragma once

#include <QApplication>

namespace mixconv::ui {

class ConverterApp : public QApplication {
  Q_OBJECT

 public:
  ConverterApp(int& argc, char** argv);

  // Runs the main dialog to its end; the command line is not read.
  int RunMainDialog();
};

}  // namespace mixconv::ui
