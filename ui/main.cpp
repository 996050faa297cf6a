// mixconv: converts a mail log to a mailbox file from one dialog.
#include "files/new_file.h"
#include "ui/converter_app.h"

int main(int argc, char** argv) {
  mixconv::files::GuardUnfinishedFiles();
  mixconv::ui::ConverterApp app(argc, argv);
  return app.RunMainDialog();
}
