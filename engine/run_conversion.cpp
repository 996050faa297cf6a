// The conversion driver: opens the log, walks the index into the destination,
// reports the outcome.
#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "convert.h"
#include "convert_one_mail.h"
#include "files/file_path.h"
#include "header_line.h"
#include "line_text.h"
#include "log_file_name.h"
#include "mail_index.h"
#include "mail_output.h"
#include "mail_reader.h"
#include "messages.h"
#include "report.h"
#include "run_context.h"

namespace mixconv {

RunContext CurrentRun;

namespace {

constexpr std::size_t kTextFileBufferSize = 64 * 1024;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using InputFile = std::unique_ptr<std::FILE, FileCloser>;

// Outlives every text file it is lent to: each is closed before the run returns.
std::array<char, kTextFileBufferSize> TextFileBuffer;

InputFile OpenInput(const std::string& requestedPath) {
  const std::optional<std::string> path = FindLogFile(requestedPath);
  if (!path) {
    return nullptr;
  }
  // Some platforms open a directory for reading; none can read a log from one.
  std::error_code ignored;
  InputFile file(std::filesystem::is_directory(FilePath(*path), ignored) ? nullptr
                                                                         : OpenFile(*path, "rb"));
  if (!file) {
    ReportFailure(messages::kFileOpenFailed, CurrentRun.programName, path->c_str());
  }
  return file;
}

// False, after reporting it, when the index is too short for its preamble and count.
bool ReadEntryCount(std::FILE* indexFile, std::uint32_t& total) {
  std::array<unsigned char, kIndexPreambleSize + kEntryCountSize> header{};
  if (std::fread(header.data(), kIndexPreambleSize, 1, indexFile) != 1 ||
      std::fread(header.data() + kIndexPreambleSize, kEntryCountSize, 1, indexFile) != 1) {
    ReportFailure(messages::kFileReadError, CurrentRun.programName);
    return false;
  }
  total = DecodeEntryCount(header.data() + kIndexPreambleSize);
  return true;
}

// False, after reporting a read error, when the index ends before the entry.
bool ReadEntry(std::FILE* indexFile, std::array<unsigned char, kIndexEntrySize>& bytes) {
  if (std::fread(bytes.data(), bytes.size(), 1, indexFile) == 1) {
    return true;
  }
  if (std::ferror(indexFile)) {
    ReportFailure(messages::kFileReadError, CurrentRun.programName);
  }
  return false;
}

// False when the run must stop.
bool ConvertEntry(const std::array<unsigned char, kIndexEntrySize>& bytes, std::uint32_t number,
                  std::FILE* textFile, MailOutput& out, const MailDestination& destination) {
  const MailIndexEntry entry = DecodeIndexEntry(bytes.data());
  if (IsBinaryMail(entry)) {
    ReportProgress(messages::kSkipBinaryMail);
    return true;
  }
  out.BeginMail({number, entry.time});
  if (ConvertOneMail(entry, textFile, out) != 0) {
    return false;
  }
  out.FinishMail(number);
  return !destination.Failed();
}

// False, after reporting it, when the index cannot be read from the entry at number.
bool SeekEntry(std::FILE* indexFile, std::uint32_t number) {
  const std::uint64_t position =
      kIndexPreambleSize + kEntryCountSize + (number - 1) * std::uint64_t{kIndexEntrySize};
  if (position > static_cast<std::uint64_t>(std::numeric_limits<long>::max()) ||
      std::fseek(indexFile, static_cast<long>(position), SEEK_SET) != 0) {
    ReportFailure(messages::kFileSeekFailed, CurrentRun.programName);
    return false;
  }
  return true;
}

// True when every entry of entries that the index counts was read and
// converted or skipped.
bool ConvertEntries(std::FILE* indexFile, std::FILE* textFile, std::uint32_t total,
                    EntryRange entries, MailOutput& out, const MailDestination& destination) {
  const std::uint32_t first = std::max(entries.first, std::uint32_t{1});
  const std::uint32_t last = std::min(entries.last, total);
  if (first > last) {
    return true;
  }
  if (first > 1 && !SeekEntry(indexFile, first)) {
    return false;
  }
  std::array<unsigned char, kIndexEntrySize> bytes{};
  for (std::uint32_t number = first;; ++number) {
    if (!ReadEntry(indexFile, bytes) || !ConvertEntry(bytes, number, textFile, out, destination)) {
      return false;
    }
    if (number == last) {
      return true;
    }
  }
}

// Opens the log and the destination, converts what convertEntries takes of
// the index and closes the destination; a whole run then reports its summary.
template <typename ConvertEntriesOf>
ConversionOutcome ConvertLogEntries(const ConversionRequest& request, MailDestination& destination,
                                    bool wholeRun, ConvertEntriesOf convertEntries) {
  CurrentRun = RunContext{request.programName, request.fullName, request.mailAddress,
                          request.mailDomain, false};
  const std::string base = LogBaseName(request.indexPath);
  ConversionOutcome outcome;
  outcome.result = -1;
  if (request.writer == nullptr) {
    ReportFailure(messages::kNoMailWriter, CurrentRun.programName);
    return outcome;
  }

  const InputFile indexFile = OpenInput(base + std::string(kIndexExtension));
  if (!indexFile) {
    return outcome;
  }
  const InputFile textFile = OpenInput(base + std::string(kTextExtension));
  if (!textFile) {
    return outcome;
  }
  // Mails mostly lie in file order, and are then read through this buffer.
  std::setvbuf(textFile.get(), TextFileBuffer.data(), _IOFBF, TextFileBuffer.size());
  BeginTextFile(textFile.get());
  if (!destination.Open(base)) {
    return outcome;
  }

  MailOutput out(*request.writer, destination);
  const bool countRead = ReadEntryCount(indexFile.get(), outcome.total);
  if (countRead) {
    destination.ExpectMessages(outcome.total);
  }
  const bool allEntries =
      countRead && convertEntries(indexFile.get(), textFile.get(), outcome.total, out, destination);
  const DestinationOutcome kept = destination.Close(allEntries && !CurrentRun.failureReported);
  outcome.converted = kept.messagesKept;
  if (wholeRun) {
    ReportSummary(outcome.converted, outcome.total);
  }
  outcome.result = kept.ok ? 0 : -1;
  outcome.complete = allEntries && kept.asAsked && !CurrentRun.failureReported;
  outcome.keptAt = kept.keptAt;
  return outcome;
}

}  // namespace

void ReportSummary(std::uint32_t converted, std::uint32_t total) {
  ReportProgress(messages::kSummary, converted, total);
}

ConversionOutcome RunConversion(const ConversionRequest& request, MailDestination& destination) {
  const bool wholeRun =
      request.entries.first <= kEveryEntry.first && request.entries.last == kEveryEntry.last;
  return ConvertLogEntries(
      request, destination, wholeRun,
      [&request](std::FILE* indexFile, std::FILE* textFile, std::uint32_t total, MailOutput& out,
                 const MailDestination& kept) {
        return ConvertEntries(indexFile, textFile, total, request.entries, out, kept);
      });
}

ConversionOutcome ConvertOneEntry(const ConversionRequest& request, std::uint32_t number,
                                  MailDestination& destination) {
  return ConvertLogEntries(
      request, destination, false,
      [number](std::FILE* indexFile, std::FILE* textFile, std::uint32_t total, MailOutput& out,
               const MailDestination& kept) {
        if (number < 1 || number > total) {
          ReportFailure(messages::kNoSuchEntry, CurrentRun.programName, number, total);
          return false;
        }
        return ConvertEntries(indexFile, textFile, total, {number, number}, out, kept);
      });
}

}  // namespace mixconv
