// mixconv: converts a mail log to a mailbox file from one dialog.
#include "ui/converter_app.h"

int main(int argc, char** argv) {
  mixconv::ui::ConverterApp app(argc, argv);
  return app.RunMainDialog();
}
