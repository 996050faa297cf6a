#include "win32/result_log_dialog.h"

#include "charset/report_text.h"
#include "resource_ids.h"
#include "win32/framework/application.h"
#include "win32/framework/wide_text.h"

namespace mixconv::win32 {

ResultLogDialog::ResultLogDialog() : Dialog(IDD_RESULT_DIALOG, nullptr) { Create(nullptr); }

int ResultLogDialog::AddLine(const char* text) {
  m_list.AddString(ToUtf16(ReportTextUtf8(text)));
  return 0;
}

void ResultLogDialog::DoDataExchange() { m_list.Bind(GetSafeHwnd(), IDC_RESULT_LIST); }

// Posted: this window's own click handling ends before the program does.
void ResultLogDialog::OnOK() {
  PostMessageW(WinApp::Current().GetMainWindowHandle(), WM_COMMAND, ID_APP_EXIT, 0);
}

}  // namespace mixconv::win32
