#include "win32/converter_app.h"

#include <commctrl.h>

#include "engine/convert.h"
#include "files/new_file.h"
#include "win32/converter_dialog.h"

namespace mixconv::win32 {

namespace {

// The one application object, there before the entry point runs.
ConverterApp theApp;

}  // namespace

bool ConverterApp::InitInstance() {
  files::GuardUnfinishedFiles();
  // The controls' current look, from the version of the common controls that
  // the manifest asks for; where that fails, they keep the classic look.
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  {
    ConverterDialog dialog;
    SetMainWindow(&dialog);
    dialog.DoModal();
    // Nothing reports once the result log window is gone.
    ActiveResultLog = nullptr;
    SetMainWindow(nullptr);
  }
  return false;
}

}  // namespace mixconv::win32
