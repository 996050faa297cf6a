// The result log window: every line the engine reports, each a line of its list.
#pragma once

#include "engine/convert.h"
#include "win32/framework/controls.h"
#include "win32/framework/dialog.h"

namespace mixconv::win32 {

class ResultLogDialog : public Dialog, public ReportTarget {
 public:
  // Creates the window at once: hidden, and owned by no window, so that the
  // main dialog's modal dialogs do not disable it. A window that cannot be
  // created leaves the lines nowhere; the main dialog works on.
  ResultLogDialog();

  int AddLine(const char* text) override;

 protected:
  void DoDataExchange() override;
  // Ends the whole program: the application-exit command goes to the main window.
  void OnOK() override;

 private:
  ListBox m_list;
};

}  // namespace mixconv::win32
