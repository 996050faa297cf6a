// The application object: one for the program, constructed before the entry
// point runs; start-up runs the program from its InitInstance.
#pragma once

#include <windows.h>

#include "win32/framework/command_target.h"

namespace mixconv::win32 {

class Dialog;

// The application-exit command: its handler closes the main window.
inline constexpr UINT ID_APP_EXIT = 57665;

class WinApp : public CommandTarget {
 public:
  WinApp();
  ~WinApp() override;
  WinApp(const WinApp&) = delete;
  WinApp& operator=(const WinApp&) = delete;

  static WinApp& Current();

  // Runs the program. The answer says whether start-up left a window for a
  // message loop of the layer's; there is none here, so the process ends after
  // InitInstance either way.
  virtual bool InitInstance() = 0;

  // Commands that no dialog handles come here; so does a dialog owned by none
  // take the main window as its owner while it runs modally.
  void SetMainWindow(Dialog* window) { mainWindow_ = window; }
  HWND GetMainWindowHandle() const;

 protected:
  MessageMap GetMessageMap() const override;

 private:
  // Closes the windows that the main window owns (a modal dialog running over
  // it), then the main window itself, as its close box would.
  INT_PTR OnAppExit(WPARAM, LPARAM);

  static const MessageMapEntry kMessageMap[];
  Dialog* mainWindow_ = nullptr;
};

}  // namespace mixconv::win32
