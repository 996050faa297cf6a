#include "win32/converter_dialog.h"

#include <shellapi.h>

#include <optional>
#include <string>

#include "engine/log_file_name.h"
#include "resource_ids.h"
#include "win32/about_dialog.h"
#include "win32/framework/application.h"
#include "win32/framework/resource_string.h"
#include "win32/framework/wide_text.h"
#include "win32/index_file_dialog.h"
#include "win32/output_choice.h"

namespace mixconv::win32 {

namespace {

constexpr WPARAM kSysCommandMask = 0xFFF0;
constexpr UINT kQueryFileCount = 0xFFFFFFFF;

// The one file dropped, or nothing when several are.
std::optional<std::wstring> DroppedFile(HDROP drop) {
  if (DragQueryFileW(drop, kQueryFileCount, nullptr, 0) != 1) {
    return std::nullopt;
  }
  std::wstring path(DragQueryFileW(drop, 0, nullptr, 0), L'\0');
  DragQueryFileW(drop, 0, path.data(), static_cast<UINT>(path.size()) + 1);
  return path;
}

}  // namespace

const MessageMapEntry ConverterDialog::kMessageMap[] = {
    {WM_SYSCOMMAND, 0, Handler(&ConverterDialog::OnSysCommand)},
    {WM_PAINT, 0, Handler(&ConverterDialog::OnPaint)},
    {WM_QUERYDRAGICON, 0, Handler(&ConverterDialog::OnQueryDragIcon)},
    {WM_DROPFILES, 0, Handler(&ConverterDialog::OnDropFiles)},
    {WM_COMMAND, IDC_BROWSE, Handler(&ConverterDialog::OnBrowse)},
};

ConverterDialog::ConverterDialog()
    : Dialog(IDD_MAIN_DIALOG, nullptr),
      m_hIcon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))) {}

MessageMap ConverterDialog::GetMessageMap() const { return kMessageMap; }

void ConverterDialog::DoDataExchange() {
  m_editName.Bind(GetSafeHwnd(), IDC_USER_NAME);
  m_editMail.Bind(GetSafeHwnd(), IDC_MAIL_ADDRESS);
  m_editPath.Bind(GetSafeHwnd(), IDC_MIX_PATH);
  m_output.Bind(GetSafeHwnd(), IDC_OUTPUT);
}

BOOL ConverterDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  const HMENU systemMenu = GetSystemMenu(GetSafeHwnd(), FALSE);
  const std::wstring about = LoadResourceString(IDS_ABOUTBOX);
  if (systemMenu != nullptr && !about.empty()) {
    AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, about.c_str());
  }
  SendMessageW(GetSafeHwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessageW(GetSafeHwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
  for (const Output& output : Outputs()) {
    if (output.OfferedBy(kOfferedByDesktop)) {
      m_output.AddEntry(LoadResourceString(output.label), output.label);
    }
  }
  DragAcceptFiles(GetSafeHwnd(), TRUE);
  return TRUE;
}

void ConverterDialog::OnOK() {
  m_resultLog.ShowWindow(SW_SHOW);
  ActiveResultLog = &m_resultLog;
  ConversionFields fields;
  fields.indexPath = ToUtf8(m_editPath.GetText());
  fields.mailAddress = ToUtf8(m_editMail.GetText());
  fields.fullName = ToUtf8(m_editName.GetText());
  ConvertAs(m_output.GetSelectedData(), fields);
}

INT_PTR ConverterDialog::OnSysCommand(WPARAM command, LPARAM) {
  if ((command & kSysCommandMask) != IDM_ABOUTBOX) {
    return FALSE;
  }
  AboutDialog about;
  about.DoModal();
  return TRUE;
}

// Only the minimised window is drawn here: the icon in the middle.
INT_PTR ConverterDialog::OnPaint(WPARAM, LPARAM) {
  const HWND hwnd = GetSafeHwnd();
  if (!IsIconic(hwnd)) {
    return FALSE;
  }
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(hwnd, &paint);
  SendMessageW(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  const int cx = GetSystemMetrics(SM_CXICON);
  const int cy = GetSystemMetrics(SM_CYICON);
  RECT client;
  GetClientRect(hwnd, &client);
  const int x = (client.right - client.left - cx + 1) / 2;
  const int y = (client.bottom - client.top - cy + 1) / 2;
  DrawIcon(dc, x, y, m_hIcon);
  EndPaint(hwnd, &paint);
  return TRUE;
}

INT_PTR ConverterDialog::OnQueryDragIcon(WPARAM, LPARAM) {
  return reinterpret_cast<INT_PTR>(m_hIcon);
}

// A dropped index, or its text file, names the log to convert.
INT_PTR ConverterDialog::OnDropFiles(WPARAM drop, LPARAM) {
  const auto files = reinterpret_cast<HDROP>(drop);
  if (const std::optional<std::wstring> file = DroppedFile(files)) {
    const std::wstring index = ToUtf16(IndexPathFor(ToUtf8(*file)));
    if (!index.empty()) {
      m_editPath.SetText(index);
    }
  }
  DragFinish(files);
  return TRUE;
}

INT_PTR ConverterDialog::OnBrowse(WPARAM, LPARAM) {
  if (const std::optional<std::wstring> path =
          ChooseIndexFile(WinApp::Current().GetMainWindowHandle(), m_resultLog)) {
    m_editPath.SetText(*path);
  }
  return TRUE;
}

}  // namespace mixconv::win32
