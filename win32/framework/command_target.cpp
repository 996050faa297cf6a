#include "win32/framework/command_target.h"

namespace mixconv::win32 {

bool CommandTarget::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
  for (const MessageMapEntry& entry : GetMessageMap()) {
    if (entry.message != message) {
      continue;
    }
    if (message == WM_COMMAND &&
        (LOWORD(wParam) != entry.commandId || HIWORD(wParam) != BN_CLICKED)) {
      continue;
    }
    result = (this->*entry.handler)(wParam, lParam);
    return true;
  }
  return false;
}

}  // namespace mixconv::win32
