// The Open-file dialog that picks a mail index.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "engine/convert.h"

namespace mixconv::win32 {

// The full path of the file the user picks or types (the file need not
// exist), or nothing when the user cancels or the dialog fails. The dialog is
// owned by owner, which it disables while it runs. Nothing of it is kept: the
// file goes on no recent list, and what the dialog remembers (its last folder,
// size and place) is cleared when it closes. Failures are lines for report.
std::optional<std::wstring> ChooseIndexFile(HWND owner, ReportTarget& report);

}  // namespace mixconv::win32
