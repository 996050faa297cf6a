#include "win32/framework/dialog.h"

#include <algorithm>

#include "win32/framework/application.h"
#include "win32/framework/resource_string.h"

namespace mixconv::win32 {

namespace {

constexpr ATOM kDialogClass = 0x8002;  // WC_DIALOG

HINSTANCE ProgramInstance() { return GetModuleHandleW(nullptr); }

// No template carries a position: a dialog goes over the middle of its owner,
// or of the work area when it has none, and stays inside the work area.
void CenterWindow(HWND dialog) {
  const HWND owner = GetWindow(dialog, GW_OWNER);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(owner != nullptr ? owner : dialog, MONITOR_DEFAULTTOPRIMARY),
                  &monitor);
  RECT around = monitor.rcWork;
  if (owner != nullptr) {
    GetWindowRect(owner, &around);
  }
  RECT own{};
  GetWindowRect(dialog, &own);
  const LONG width = own.right - own.left;
  const LONG height = own.bottom - own.top;
  const RECT& work = monitor.rcWork;
  const LONG x = std::clamp((around.left + around.right - width) / 2, work.left,
                            std::max(work.left, work.right - width));
  const LONG y = std::clamp((around.top + around.bottom - height) / 2, work.top,
                            std::max(work.top, work.bottom - height));
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Tab, Enter and Esc work in every dialog of the program, the modeless ones
// included, whichever modal run takes the messages.
bool IsDialogKey(MSG& message) {
  const HWND root = GetAncestor(message.hwnd, GA_ROOT);
  return root != nullptr && GetClassLongPtrW(root, GCW_ATOM) == kDialogClass &&
         IsDialogMessageW(root, &message);
}

}  // namespace

Dialog::Dialog(int templateId, HWND parent) : templateId_(templateId), parent_(parent) {}

Dialog::~Dialog() {
  if (hwnd_ != nullptr) {
    // The derived object is gone: its handlers must not see the last messages.
    SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
    DestroyWindow(hwnd_);
  }
}

INT_PTR Dialog::DoModal() {
  const HWND owner = parent_ != nullptr ? parent_ : WinApp::Current().GetMainWindowHandle();
  modal_ = true;
  ended_ = false;
  result_ = -1;
  if (CreateDialogParamW(ProgramInstance(), MAKEINTRESOURCEW(templateId_), owner, Procedure,
                         reinterpret_cast<LPARAM>(this)) == nullptr) {
    modal_ = false;
    return result_;
  }
  // EnableWindow answers whether the owner was disabled already.
  const bool ownerDisabled = owner != nullptr && !EnableWindow(owner, FALSE);
  ::ShowWindow(hwnd_, SW_SHOW);
  RunModalLoop();
  // Before the dialog goes, so that the owner becomes the active window again.
  if (ownerDisabled) {
    EnableWindow(owner, TRUE);
  }
  DestroyWindow(hwnd_);
  modal_ = false;
  return result_;
}

bool Dialog::Create(HWND parent) {
  return CreateDialogParamW(ProgramInstance(), MAKEINTRESOURCEW(templateId_), parent, Procedure,
                            reinterpret_cast<LPARAM>(this)) != nullptr;
}

void Dialog::EndDialog(INT_PTR result) {
  if (modal_) {
    result_ = result;
    ended_ = true;
  } else {
    ::ShowWindow(hwnd_, SW_HIDE);
  }
}

void Dialog::ShowWindow(int command) const { ::ShowWindow(hwnd_, command); }

BOOL Dialog::OnInitDialog() {
  DoDataExchange();
  return TRUE;
}

void Dialog::OnOK() { EndDialog(IDOK); }

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

void Dialog::RunModalLoop() {
  MSG message;
  while (!ended_ && GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!IsDialogKey(message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

INT_PTR CALLBACK Dialog::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<Dialog*>(lParam);
    SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    dialog->hwnd_ = hwnd;
    CenterWindow(hwnd);
    return dialog->OnInitDialog();
  }
  auto* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (dialog == nullptr) {
    return FALSE;
  }
  if (message == WM_NCDESTROY) {
    dialog->hwnd_ = nullptr;
    return FALSE;
  }
  return dialog->WindowProcedure(message, wParam, lParam);
}

INT_PTR Dialog::WindowProcedure(UINT message, WPARAM wParam, LPARAM lParam) {
  INT_PTR result = FALSE;
  if (Dispatch(message, wParam, lParam, result)) {
    return result;
  }
  if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) {
    return FALSE;
  }
  switch (LOWORD(wParam)) {
    case IDOK:
      OnOK();
      return TRUE;
    case IDCANCEL:
      OnCancel();
      return TRUE;
  }
  // A command that the dialog does not handle goes on to the application.
  return WinApp::Current().Dispatch(message, wParam, lParam, result) ? result : FALSE;
}

}  // namespace mixconv::win32
