// Message maps: window messages and commands bound to member functions by
// tables, one per class, as the dialogs and the application declare them.
#pragma once

#include <windows.h>

#include <span>

namespace mixconv::win32 {

class CommandTarget;

// Answers as a dialog procedure does: FALSE leaves the message to the default
// handling; for WM_QUERYDRAGICON the answer is the icon.
using MessageHandler = INT_PTR (CommandTarget::*)(WPARAM wParam, LPARAM lParam);

struct MessageMapEntry {
  UINT message;
  UINT commandId;  // WM_COMMAND only: the ID of the button, menu command or command
  MessageHandler handler;
};

using MessageMap = std::span<const MessageMapEntry>;

// A derived class's handler, for its table.
template <class Derived>
constexpr MessageHandler Handler(INT_PTR (Derived::*handler)(WPARAM, LPARAM)) {
  return static_cast<MessageHandler>(handler);
}

class CommandTarget {
 public:
  virtual ~CommandTarget() = default;

  // Runs the handler that GetMessageMap binds to the message; false when it
  // binds none. A WM_COMMAND entry takes clicks and commands only, never a
  // control's notifications (such as an edit field's changes).
  bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

 protected:
  virtual MessageMap GetMessageMap() const { return {}; }
};

}  // namespace mixconv::win32
