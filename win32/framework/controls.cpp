#include "win32/framework/controls.h"

namespace mixconv::win32 {

void Control::Bind(HWND dialog, int id) {
  hwnd_ = GetDlgItem(dialog, id);
  if (hwnd_ == nullptr) {
    const std::wstring message =
        L"mixconv: the dialog template has no control " + std::to_wstring(id) + L".";
    FatalAppExitW(0, message.c_str());
  }
}

std::wstring Edit::GetText() const {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd_)), L'\0');
  text.resize(static_cast<std::size_t>(
      GetWindowTextW(hwnd_, text.data(), static_cast<int>(text.size()) + 1)));
  return text;
}

void Edit::SetText(const std::wstring& text) { SetWindowTextW(hwnd_, text.c_str()); }

void ListBox::AddString(const std::wstring& text) {
  SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void ComboBox::AddEntry(const std::wstring& text, LPARAM data) {
  const LRESULT index = SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageW(hwnd_, CB_SETITEMDATA, index, data);
  if (index == 0) {
    SendMessageW(hwnd_, CB_SETCURSEL, 0, 0);
  }
}

LRESULT ComboBox::GetSelectedData() const {
  const LRESULT selected = SendMessageW(hwnd_, CB_GETCURSEL, 0, 0);
  return selected == CB_ERR ? CB_ERR : SendMessageW(hwnd_, CB_GETITEMDATA, selected, 0);
}

}  // namespace mixconv::win32
