// Dialogs built from the program's templates, modal or modeless.
#pragma once

#include <windows.h>

#include "win32/framework/command_target.h"

namespace mixconv::win32 {

class Dialog : public CommandTarget {
 public:
  // A dialog from template templateId, owned by parent (nullptr: none given).
  Dialog(int templateId, HWND parent);
  // Destroys the window if it still exists.
  ~Dialog() override;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Creates the window, disables its owner (the parent, else the application's
  // main window) and takes the messages of every window until EndDialog; then
  // destroys the window and returns EndDialog's code, or -1 when the window
  // could not be created.
  INT_PTR DoModal();
  // Creates the modeless window; false when it could not be created.
  bool Create(HWND parent);
  // Ends a modal run with result; a modeless window is hidden, to be shown again.
  void EndDialog(INT_PTR result);
  void ShowWindow(int command) const;
  HWND GetSafeHwnd() const { return hwnd_; }

 protected:
  // Binds the template's controls to the wrappers that the dialog holds.
  virtual void DoDataExchange() {}
  // Binds the controls. TRUE puts the focus on the first control in tab order.
  virtual BOOL OnInitDialog();
  // The OK button (IDOK) and Enter: ends the dialog with IDOK.
  virtual void OnOK();
  // Cancel (IDCANCEL), Esc and the close box: ends the dialog with IDCANCEL.
  virtual void OnCancel();

 private:
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR WindowProcedure(UINT message, WPARAM wParam, LPARAM lParam);
  void RunModalLoop();

  int templateId_;
  HWND parent_;
  HWND hwnd_ = nullptr;
  bool modal_ = false;
  bool ended_ = false;
  INT_PTR result_ = -1;
};

}  // namespace mixconv::win32
