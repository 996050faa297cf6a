// Wrappers of a dialog's controls, held by value and bound to the template's
// controls by ID while the dialog starts.
#pragma once

#include <windows.h>

#include <string>

namespace mixconv::win32 {

class Control {
 public:
  // Ends the program when the dialog has no such control: its template and
  // its code come from one source, so only a broken program gets here.
  void Bind(HWND dialog, int id);

 protected:
  HWND hwnd_ = nullptr;
};

class Edit : public Control {
 public:
  std::wstring GetText() const;
  void SetText(const std::wstring& text);
};

class ListBox : public Control {
 public:
  // Appends text as the last line; the view stays where it is. The list's
  // answer is not read: a line it cannot take is lost, as there is nowhere
  // else to report it.
  void AddString(const std::wstring& text);
};

class ComboBox : public Control {
 public:
  // Appends an entry that carries data; the first one appended is selected.
  void AddEntry(const std::wstring& text, LPARAM data);
  // The data of the selected entry; CB_ERR while none is selected.
  LRESULT GetSelectedData() const;
};

}  // namespace mixconv::win32
