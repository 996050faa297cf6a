#include "win32/index_file_dialog.h"

#include <shobjidl.h>

#include <cstdio>
#include <memory>

namespace mixconv::win32 {

namespace {

constexpr wchar_t kIndexFileFilter[] = L"Mail Index File (*.mix)";
constexpr wchar_t kIndexFilePattern[] = L"*.mix";
constexpr wchar_t kIndexExtension[] = L"mix";
// The dialog keeps what it remembers under this ID rather than under the
// program's file name, and this program clears it after every use.
constexpr GUID kDialogStateId = {
    0xe13ef7b4, 0x8c09, 0x4cdf, {0x85, 0xac, 0x81, 0x5b, 0x1e, 0x7a, 0x0a, 0xba}};
constexpr char kDialogFailed[] = "mixconv: the Open-file dialog failed (error 0x%08lX).";
constexpr char kStateNotCleared[] =
    "mixconv: what the Open-file dialog remembers could not be cleared (error 0x%08lX).";

struct Releaser {
  void operator()(IUnknown* object) const { object->Release(); }
};
template <class T>
using ComPtr = std::unique_ptr<T, Releaser>;

struct TaskMemoryFreer {
  void operator()(wchar_t* text) const { CoTaskMemFree(text); }
};

void ReportFailure(ReportTarget& report, const char* format, HRESULT result) {
  char line[128];
  std::snprintf(line, sizeof line, format, static_cast<unsigned long>(result));
  report.AddLine(line);
}

// A dialog that cannot keep state under an ID keeps none to clear (Wine's).
bool StateKeptOrNone(HRESULT result) { return SUCCEEDED(result) || result == E_NOTIMPL; }

HRESULT SetUp(IFileOpenDialog& dialog) {
  FILEOPENDIALOGOPTIONS options = 0;
  HRESULT result = dialog.GetOptions(&options);
  if (SUCCEEDED(result)) {
    // A name typed for a file that is not there is taken; the conversion says so.
    options &= ~(FOS_FILEMUSTEXIST | FOS_PATHMUSTEXIST);
    options |= FOS_FORCEFILESYSTEM | FOS_DONTADDTORECENT | FOS_NOCHANGEDIR;
    result = dialog.SetOptions(options);
  }
  const COMDLG_FILTERSPEC types[] = {{kIndexFileFilter, kIndexFilePattern}};
  if (SUCCEEDED(result)) {
    result = dialog.SetFileTypes(1, types);
  }
  if (SUCCEEDED(result)) {
    result = dialog.SetDefaultExtension(kIndexExtension);
  }
  if (SUCCEEDED(result)) {
    const HRESULT identified = dialog.SetClientGuid(kDialogStateId);
    result = StateKeptOrNone(identified) ? S_OK : identified;
  }
  return result;
}

HRESULT ChosenPath(IFileOpenDialog& dialog, std::wstring& path) {
  IShellItem* picked = nullptr;
  HRESULT result = dialog.GetResult(&picked);
  if (FAILED(result)) {
    return result;
  }
  const ComPtr<IShellItem> chosen(picked);
  wchar_t* name = nullptr;
  result = chosen->GetDisplayName(SIGDN_FILESYSPATH, &name);
  if (SUCCEEDED(result)) {
    path = std::unique_ptr<wchar_t, TaskMemoryFreer>(name).get();
  }
  return result;
}

std::optional<std::wstring> Run(HWND owner, ReportTarget& report) {
  IFileOpenDialog* created = nullptr;
  HRESULT result =
      CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&created));
  if (FAILED(result)) {
    ReportFailure(report, kDialogFailed, result);
    return std::nullopt;
  }
  const ComPtr<IFileOpenDialog> dialog(created);
  result = SetUp(*dialog);
  if (SUCCEEDED(result)) {
    result = dialog->Show(owner);
  }
  std::wstring path;
  if (SUCCEEDED(result)) {
    result = ChosenPath(*dialog, path);
  }
  const HRESULT cleared = dialog->ClearClientData();
  if (!StateKeptOrNone(cleared)) {
    ReportFailure(report, kStateNotCleared, cleared);
  }
  if (result == HRESULT_FROM_WIN32(ERROR_CANCELLED)) {
    return std::nullopt;
  }
  if (FAILED(result)) {
    ReportFailure(report, kDialogFailed, result);
    return std::nullopt;
  }
  return path;
}

}  // namespace

std::optional<std::wstring> ChooseIndexFile(HWND owner, ReportTarget& report) {
  const HRESULT initialized =
      CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  if (FAILED(initialized) && initialized != RPC_E_CHANGED_MODE) {
    ReportFailure(report, kDialogFailed, initialized);
    return std::nullopt;
  }
  std::optional<std::wstring> path = Run(owner, report);
  if (SUCCEEDED(initialized)) {
    CoUninitialize();
  }
  return path;
}

}  // namespace mixconv::win32
