// Watches a folder as another local user would, from a thread of its own:
// every entry that appears is opened at once, as "nobody" when the test runs
// as root (setfsuid changes this thread alone), and its mode is noted.
#pragma once

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace mixconv::testing {

struct SeenEntry {
  std::string name;
  // When the watcher looked; not_found when it had gone already.
  std::filesystem::file_status status;
  bool openedByOtherUser = false;
};

class FolderWatcher {
 public:
  // openFlags: how the other user tries to open each entry.
  FolderWatcher(const std::filesystem::path& dir, int openFlags);
  FolderWatcher(const FolderWatcher&) = delete;
  FolderWatcher& operator=(const FolderWatcher&) = delete;
  ~FolderWatcher();

  // Stops watching; what was seen, in order. Valid once only.
  std::vector<SeenEntry> Stop();

 private:
  void Watch(std::filesystem::path dir, int openFlags);

  int watch_ = -1;
  std::atomic<bool> stop_ = false;
  std::vector<SeenEntry> seen_;
  std::thread thread_;
};

}  // namespace mixconv::testing
