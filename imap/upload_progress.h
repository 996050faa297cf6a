// Where an upload tells how far it has come, for a front end to show.
#pragma once

#include <cstdint>

namespace mixconv::imap {

class UploadProgress {
 public:
  // inFolder: the log's mails known to be in the folder so far; expected:
  // the index's entry count.
  virtual void Update(std::uint32_t inFolder, std::uint32_t expected) = 0;

 protected:
  ~UploadProgress() = default;
};

}  // namespace mixconv::imap
