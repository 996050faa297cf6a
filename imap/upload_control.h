// What a front end sees of an upload and asks of it: how far it has come,
// and whether to stop after the mails already sent.
#pragma once

#include <cstdint>

namespace mixconv::imap {

class UploadControl {
 public:
  // inFolder: the log's mails known to be in the folder so far; expected:
  // the index's entry count.
  virtual void ShowProgress(std::uint32_t inFolder, std::uint32_t expected) = 0;
  // The user asked to stop (Ctrl-C, say): no further mail is sent, and the
  // run ends saying how many are in the folder.
  virtual bool StopAsked() const = 0;

 protected:
  ~UploadControl() = default;
};

}  // namespace mixconv::imap
