// A private directory for logs and what they convert to, removed with all it holds.
#pragma once

#include <filesystem>

namespace mixconv::log_builder {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace mixconv::log_builder
