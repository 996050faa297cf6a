// The main dialog: index path, the user's name and address, what to write, and
// OK to convert; the dialog stays open for the next log.
#pragma once

#include <windows.h>

#include "win32/framework/controls.h"
#include "win32/framework/dialog.h"
#include "win32/result_log_dialog.h"

namespace mixconv::win32 {

class ConverterDialog : public Dialog {
 public:
  // Creates the result log window at once, hidden.
  ConverterDialog();

 protected:
  MessageMap GetMessageMap() const override;
  void DoDataExchange() override;
  // Adds the about entry to the system menu, sets the icons and takes dropped files.
  BOOL OnInitDialog() override;
  // Converts with the fields' texts into the result log, which it shows first.
  void OnOK() override;

 private:
  INT_PTR OnSysCommand(WPARAM command, LPARAM);
  INT_PTR OnPaint(WPARAM, LPARAM);
  INT_PTR OnQueryDragIcon(WPARAM, LPARAM);
  INT_PTR OnDropFiles(WPARAM drop, LPARAM);
  INT_PTR OnBrowse(WPARAM, LPARAM);

  static const MessageMapEntry kMessageMap[];

  ResultLogDialog m_resultLog;
  Edit m_editName;
  Edit m_editMail;
  Edit m_editPath;
  ComboBox m_output;  // each entry's data is its string table ID
  // A shared icon from the resources, which the program never frees.
  HICON m_hIcon;
};

}  // namespace mixconv::win32
