// Builds a NAME.MIX / NAME.TXT pair from entries and texts, for tests and tools.
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mixconv::log_builder {

namespace kind {
inline constexpr std::uint8_t kReceived = 0;
inline constexpr std::uint8_t kBinary = 1;
inline constexpr std::uint8_t kSent = 2;
inline constexpr std::uint8_t kBinaryOther = 3;
inline constexpr std::uint8_t kAbsenceNotice = 4;
}  // namespace kind

struct IndexEntry {
  std::int32_t time = 0;
  std::uint8_t attr = 0;
  std::uint8_t kind = kind::kReceived;
  std::int32_t offset = 0;
  std::uint32_t length = 0;
};

class MailLogBuilder {
 public:
  // Appends text to the text file and an entry that covers exactly it.
  MailLogBuilder& AddMail(std::uint8_t kind, std::string_view text, std::int32_t time = 0,
                          std::uint8_t attr = 0);
  // An entry as given, for ranges that overlap, run backwards or lie past the end.
  MailLogBuilder& AddEntry(const IndexEntry& entry);
  MailLogBuilder& AppendText(std::string_view bytes);
  // The count field claims this many entries, whatever the index holds.
  MailLogBuilder& ClaimCount(std::uint32_t count);

  // The log copies times over, each copy's mails timeStep seconds after the
  // last copy's: a long log from a short one.
  MailLogBuilder Repeated(int copies, std::int32_t timeStep) const;

  std::string IndexBytes() const;
  const std::string& TextBytes() const { return text_; }
  void WriteFiles(const std::filesystem::path& base) const;

 private:
  std::vector<IndexEntry> entries_;
  std::string text_;
  std::optional<std::uint32_t> claimedCount_;
};

// Joins lines, each ended with CR LF, as the terminal program writes them.
std::string CrLfLines(std::initializer_list<std::string_view> lines);

// main() of a program that writes one log: "usage: TOOL BASE [COPIES]" writes
// BASE.MIX and BASE.TXT, the log COPIES times over when given.
int WriteLogMain(int argc, char** argv, const char* tool, MailLogBuilder (*makeLog)());

std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);

}  // namespace mixconv::log_builder
