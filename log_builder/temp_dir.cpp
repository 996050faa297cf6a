#include "log_builder/temp_dir.h"

#include <random>
#include <string>

namespace mixconv::log_builder {

TempDir::TempDir() {
  std::random_device entropy;
  path_ = std::filesystem::temp_directory_path() /
          ("mixconv-test-" + std::to_string(entropy()) + std::to_string(entropy()));
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace mixconv::log_builder
