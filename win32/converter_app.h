// The application: runs the main dialog and ends when it closes.
#pragma once

#include "win32/framework/application.h"

namespace mixconv::win32 {

class ConverterApp : public WinApp {
 public:
  // Runs the main dialog modally to its end; false: nothing is left to run.
  bool InitInstance() override;
};

}  // namespace mixconv::win32
