#include "win32/framework/application.h"

#include <cstdlib>

#include "win32/framework/dialog.h"

namespace mixconv::win32 {

namespace {

WinApp* theApplication = nullptr;

BOOL CALLBACK CloseIfOwnedBy(HWND window, LPARAM owner) {
  if (GetWindow(window, GW_OWNER) == reinterpret_cast<HWND>(owner)) {
    SendMessageW(window, WM_CLOSE, 0, 0);
  }
  return TRUE;
}

}  // namespace

const MessageMapEntry WinApp::kMessageMap[] = {
    {WM_COMMAND, ID_APP_EXIT, Handler(&WinApp::OnAppExit)},
};

// A program has one application object.
WinApp::WinApp() {
  if (theApplication != nullptr) {
    std::abort();
  }
  theApplication = this;
}

WinApp::~WinApp() { theApplication = nullptr; }

WinApp& WinApp::Current() { return *theApplication; }

HWND WinApp::GetMainWindowHandle() const {
  return mainWindow_ != nullptr ? mainWindow_->GetSafeHwnd() : nullptr;
}

MessageMap WinApp::GetMessageMap() const { return kMessageMap; }

INT_PTR WinApp::OnAppExit(WPARAM, LPARAM) {
  const HWND main = GetMainWindowHandle();
  EnumThreadWindows(GetCurrentThreadId(), CloseIfOwnedBy, reinterpret_cast<LPARAM>(main));
  SendMessageW(main, WM_CLOSE, 0, 0);
  return TRUE;
}

}  // namespace mixconv::win32

// The command line is not read.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  mixconv::win32::WinApp::Current().InitInstance();
  return 0;
}
