#include "tests/support/folder_watcher.h"

#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/fsuid.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace mixconv::testing {

namespace {

constexpr int kPollMilliseconds = 10;
constexpr std::size_t kEventBufferSize = 64 * 1024;

}  // namespace

FolderWatcher::FolderWatcher(const std::filesystem::path& dir, int openFlags)
    : watch_(::inotify_init1(0)) {
  if (watch_ >= 0 && ::inotify_add_watch(watch_, dir.c_str(), IN_CREATE | IN_MOVED_TO) >= 0) {
    thread_ = std::thread(&FolderWatcher::Watch, this, dir, openFlags);
  }
}

FolderWatcher::~FolderWatcher() { Stop(); }

std::vector<SeenEntry> FolderWatcher::Stop() {
  stop_ = true;
  if (thread_.joinable()) {
    thread_.join();
  }
  if (watch_ >= 0) {
    ::close(watch_);
    watch_ = -1;
  }
  return std::move(seen_);
}

void FolderWatcher::Watch(std::filesystem::path dir, int openFlags) {
  const passwd* nobody = ::getpwnam("nobody");
  const bool asOtherUser = ::geteuid() == 0 && nobody != nullptr &&
                           (::setfsgid(nobody->pw_gid), ::setfsuid(nobody->pw_uid), true);
  alignas(inotify_event) char events[kEventBufferSize];
  pollfd ready{watch_, POLLIN, 0};
  while (!stop_) {
    const ssize_t length =
        ::poll(&ready, 1, kPollMilliseconds) == 1 ? ::read(watch_, events, sizeof events) : 0;
    for (ssize_t at = 0; at < length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(events + at);
      const std::filesystem::path path = dir / event->name;
      const int opened = asOtherUser ? ::open(path.c_str(), openFlags) : -1;
      if (opened >= 0) {
        ::close(opened);
      }
      std::error_code gone;
      seen_.push_back({event->name, std::filesystem::symlink_status(path, gone), opened >= 0});
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
}

}  // namespace mixconv::testing
