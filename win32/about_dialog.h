// The about box: icon, version and a notice line; its OK ends it.
#pragma once

#include "resource_ids.h"
#include "win32/framework/dialog.h"

namespace mixconv::win32 {

class AboutDialog : public Dialog {
 public:
  // Owned, while it runs, by the application's main window.
  AboutDialog() : Dialog(IDD_ABOUTBOX, nullptr) {}
};

}  // namespace mixconv::win32
