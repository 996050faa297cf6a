#include "files/file_path.h"

#ifdef _WIN32
#include <string_view>
#endif

namespace mixconv {

#ifdef _WIN32
std::filesystem::path FilePath(const std::string& path) {
  return std::filesystem::path(
      std::u8string(reinterpret_cast<const char8_t*>(path.data()), path.size()));
}

std::string PathText(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return {reinterpret_cast<const char*>(text.data()), text.size()};
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
  const std::string_view narrowMode(mode);
  return _wfopen(FilePath(path).c_str(),
                 std::wstring(narrowMode.begin(), narrowMode.end()).c_str());
}
#else
std::filesystem::path FilePath(const std::string& path) { return path; }

std::string PathText(const std::filesystem::path& path) { return path.string(); }

std::FILE* OpenFile(const std::string& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}
#endif

}  // namespace mixconv
