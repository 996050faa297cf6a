#include "engine/log_file_name.h"

#include <gtest/gtest.h>

#include <string>

namespace mixconv {
namespace {

// Every program fills its path field from a dropped or picked file this way,
// with the separators of either system.
TEST(LogFileNameTest, AnIndexOrItsTextFileNamesTheIndex) {
  const struct {
    const char* path;
    const char* index;
  } cases[] = {
      {"/m/LOG.TXT", "/m/LOG.MIX"},
      {"/m/log.txt", "/m/log.mix"},
      {"/m/log.mix", "/m/log.mix"},
      {"C:\\ログ\\メール.MIX", "C:\\ログ\\メール.MIX"},
      {"C:\\log\\Mail.Mix", "C:\\log\\Mail.Mix"},
      {"C:\\ログ\\メール.TXT", "C:\\ログ\\メール.MIX"},
      {"C:\\log\\Mail.Txt", "C:\\log\\Mail.MIX"},
      {"/m/log.mbx", ""},
      {"C:\\log\\MIX", ""},
      {"C:\\log.mix\\mail", ""},
      {"/m/log.mix/mail", ""},
      {"C:\\log\\mail.mixed", ""},
      {"/m/log.", ""},
  };
  for (const auto& [path, index] : cases) {
    EXPECT_EQ(IndexPathFor(path), index) << path;
  }
}

// What is written beside a log is named after the index less its extension;
// another case of it counts only where it names the file.
TEST(LogFileNameTest, TheBaseNameDropsTheIndexExtension) {
  const struct {
    const char* indexPath;
    const char* base;
  } cases[] = {
      {"/m/LOG.MIX", "/m/LOG"},
      {"/m/log.mix", "/m/log"},
      {"/m/LOG", "/m/LOG"},
      {"/m/missing.Mix", "/m/missing.Mix"},
      {"/m/log.mix.d/LOG", "/m/log.mix.d/LOG"},
      {"LOG.TXT", "LOG.TXT"},
  };
  for (const auto& [indexPath, base] : cases) {
    EXPECT_EQ(LogBaseName(indexPath), base) << indexPath;
  }
}

}  // namespace
}  // namespace mixconv
