// Reads and steers mixconv.exe's windows from another process under the same
// wine, for the GUI test: what the screen cannot tell reliably.
//   gui_probe state TITLE                prints "visible" or "hidden", then each
//                                        line of the window's list box
//   gui_probe text TITLE CONTROL_ID      prints the control's text
//   gui_probe focus TITLE CONTROL_ID     moves the dialog's focus to the control
//   gui_probe click TITLE CONTROL_ID     presses the button without waiting for what it opens
// Exit code 2: no window has that title (yet); 1: a usage error.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

constexpr int kResultListId = 1002;

void WriteUtf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                      nullptr, nullptr);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
            &written, nullptr);
}

int PrintState(HWND window) {
  WriteUtf8(IsWindowVisible(window) ? L"visible\n" : L"hidden\n");
  const HWND list = GetDlgItem(window, kResultListId);
  const LRESULT count = list != nullptr ? SendMessageW(list, LB_GETCOUNT, 0, 0) : 0;
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring line(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)), L'\0');
    // LB_GETTEXT writes the terminating null after the text.
    line.resize(line.size() + 1);
    line.resize(static_cast<std::size_t>(
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()))));
    WriteUtf8(line + L"\n");
  }
  return 0;
}

}  // namespace

int main() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc < 3) {
    return 1;
  }
  const std::wstring action = argv[1];
  const HWND window = FindWindowW(nullptr, argv[2]);
  if (window == nullptr) {
    return 2;
  }
  if (action == L"state" && argc == 3) {
    return PrintState(window);
  }
  if (argc != 4) {
    return 1;
  }
  const HWND control = GetDlgItem(window, std::wcstol(argv[3], nullptr, 10));
  if (control == nullptr) {
    return 1;
  }
  if (action == L"text") {
    // GetWindowText would give another process's edit box its caption, not its text.
    std::wstring text(static_cast<std::size_t>(SendMessageW(control, WM_GETTEXTLENGTH, 0, 0)) + 1,
                      L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    WriteUtf8(text + L"\n");
    return 0;
  }
  if (action == L"click") {
    // Posted: a button that opens a modal dialog answers only when that dialog closes.
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED),
                 reinterpret_cast<LPARAM>(control));
    return 0;
  }
  if (action == L"focus") {
    SendMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    return 0;
  }
  return 1;
}
