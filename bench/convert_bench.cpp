// Converts a generated mail log of a few hundred megabytes and prints the engine's
// throughput, in the default and the --utf8 form and into the --eml and
// --maildir folders, next to a plain copy of the same text file, and the peak memory.
// Usage: convert_bench [MEGABYTES]              (default 200)
//        convert_bench --write-log BASE [MEGABYTES]   only writes the log, for other benchmarks
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "job/mailbox_job.h"
#include "log_builder/mail_log_builder.h"
#include "log_builder/sjis_text.h"
#include "log_builder/temp_dir.h"
#include "log_builder/time_zone.h"

namespace {

using namespace mixconv::log_builder;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kRepeats = 5;
constexpr std::size_t kCopyChunk = 64 * 1024;

std::vector<std::string> MailTexts() {
  const std::string body = Sjis("来週の定例会議は木曜日の午後二時から第三会議室で行います。") +
                           " Please bring the figures for June.\r\n";
  std::string longBody;
  for (int i = 0; i < 40; ++i) {
    longBody += body;
  }
  const std::string title = Sjis("題名：");
  return {
      CrLfLines({"Sales Desk      x", "x", std::string(22, '.') + "ABC12345  2001/06/14 16:24",
                 title + "Meeting", "x"}) +
          longBody,
      CrLfLines({"Desk", "TO:ABC12345,INET:someone@example.com", "SUB:Minutes"}) + longBody,
      CrLfLines({"ABC12345 away"}) + longBody,
  };
}

struct Log {
  std::uint64_t textBytes = 0;
  std::size_t mails = 0;
};

// Streams the text file so that the generator's own memory stays small.
Log WriteLog(const fs::path& base, std::uint64_t targetBytes) {
  const std::vector<std::string> texts = MailTexts();
  const std::uint8_t kinds[] = {kind::kReceived, kind::kSent, kind::kAbsenceNotice};
  MailLogBuilder index;
  std::ofstream text(base.string() + ".TXT", std::ios::binary | std::ios::trunc);
  Log log;
  for (; log.textBytes < targetBytes; ++log.mails) {
    const std::string& mail = texts[log.mails % texts.size()];
    index.AddEntry({992503440 + static_cast<std::int32_t>(log.mails), 0,
                    kinds[log.mails % texts.size()], static_cast<std::int32_t>(log.textBytes),
                    static_cast<std::uint32_t>(mail.size())});
    text.write(mail.data(), static_cast<std::streamsize>(mail.size()));
    log.textBytes += mail.size();
  }
  WriteFileBytes(base.string() + ".MIX", index.IndexBytes());
  return log;
}

double Seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

struct Timing {
  double wall = 1e9;
  double cpu = 1e9;  // user and system time of this process
};

// Keeps the fastest of the runs so far.
void Time(Timing& best, const auto& run) {
  const auto start = Clock::now();
  const std::clock_t cpuStart = std::clock();
  run();
  best.cpu = std::min(best.cpu, static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC);
  best.wall = std::min(best.wall, Seconds(Clock::now() - start));
}

void CopyFile(const fs::path& from, const fs::path& to) {
  std::FILE* in = std::fopen(from.c_str(), "rb");
  std::FILE* out = std::fopen(to.c_str(), "wb");
  std::vector<char> chunk(kCopyChunk);
  std::size_t n = 0;
  while ((n = std::fread(chunk.data(), 1, chunk.size(), in)) > 0) {
    std::fwrite(chunk.data(), 1, n, out);
  }
  std::fclose(in);
  std::fclose(out);
}

// The text in as many files as there are mails, each written and closed in
// turn: what the file system alone takes for a folder of mail files.
void WriteAsFiles(const fs::path& text, const fs::path& folder, std::size_t files) {
  fs::create_directory(folder);
  std::FILE* in = std::fopen(text.c_str(), "rb");
  std::vector<char> chunk(fs::file_size(text) / files + 1);
  for (std::size_t i = 0; i < files; ++i) {
    const std::size_t n = std::fread(chunk.data(), 1, chunk.size(), in);
    std::FILE* out = std::fopen((folder / std::to_string(i)).c_str(), "wb");
    std::fwrite(chunk.data(), 1, n, out);
    std::fclose(out);
  }
  std::fclose(in);
}

long PeakRssKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void Convert(const fs::path& base, mixconv::MessageForm form,
             mixconv::Destination destination = mixconv::Destination::Mbox) {
  mixconv::ConvertLog({"convert_bench", base.c_str(), "N", "U"}, form, destination);
}

// Into a folder, removed after each run so that the next run takes its place.
void ConvertToFolder(Timing& best, const fs::path& base, mixconv::Destination destination,
                     const char* extension) {
  Time(best, [&] { Convert(base, mixconv::MessageForm::Readable, destination); });
  fs::remove_all(base.string() + extension);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2 && std::string_view(argv[1]) == "--write-log") {
    const std::uint64_t megabytes = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 200;
    const Log log = WriteLog(argv[2], megabytes * 1000 * 1000);
    std::printf("%s: %.1f MB of text in %zu mails\n", argv[2],
                static_cast<double>(log.textBytes) / 1e6, log.mails);
    return 0;
  }
  const std::uint64_t megabytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 200;
  PinTimeZone();
  const TempDir dir;
  const fs::path small = dir.path() / "SMALL";
  const fs::path large = dir.path() / "LARGE";
  WriteLog(small, megabytes * 1000 * 1000 / 10);
  const Log log = WriteLog(large, megabytes * 1000 * 1000);
  const double megabytesOfText = static_cast<double>(log.textBytes) / 1e6;

  Convert(small, mixconv::MessageForm::Original);
  const long rssAfterSmall = PeakRssKiB();
  // Taken in turns, so that the page cache's write-back weighs on both alike.
  Timing conversion;
  Timing utf8Conversion;
  Timing emlConversion;
  Timing maildirConversion;
  Timing copy;
  Timing plainFiles;
  for (int i = 0; i < kRepeats; ++i) {
    Time(conversion, [&] { Convert(large, mixconv::MessageForm::Original); });
    Time(utf8Conversion, [&] { Convert(large, mixconv::MessageForm::Readable); });
    ConvertToFolder(emlConversion, large, mixconv::Destination::EmlFolder, ".eml-files");
    ConvertToFolder(maildirConversion, large, mixconv::Destination::Maildir, ".maildir");
    Time(copy, [&] { CopyFile(large.string() + ".TXT", dir.path() / "copy"); });
    Time(plainFiles,
         [&] { WriteAsFiles(large.string() + ".TXT", dir.path() / "files", log.mails); });
    fs::remove_all(dir.path() / "files");
  }
  const long rssAfterLarge = PeakRssKiB();

  std::printf("log: %.1f MB of text in %zu mails\n", megabytesOfText, log.mails);
  std::printf("plain copy:  %8.1f MB/s  (%.0f ms CPU)\n", megabytesOfText / copy.wall,
              copy.cpu * 1000);
  std::printf("conversion:  %8.1f MB/s  (%.0f ms CPU; %.2f of the copy's speed)\n",
              megabytesOfText / conversion.wall, conversion.cpu * 1000,
              copy.wall / conversion.wall);
  std::printf("--utf8:      %8.1f MB/s  (%.0f ms CPU; %.2f of the default form's speed)\n",
              megabytesOfText / utf8Conversion.wall, utf8Conversion.cpu * 1000,
              conversion.wall / utf8Conversion.wall);
  std::printf("plain files: %8.1f MB/s  (%.0f ms CPU; the text in %zu files)\n",
              megabytesOfText / plainFiles.wall, plainFiles.cpu * 1000, log.mails);
  for (const auto& [name, timing] :
       {std::pair{"--eml:", emlConversion}, std::pair{"--maildir:", maildirConversion}}) {
    std::printf("%-13s%8.1f MB/s  (%.0f ms CPU; %.2f times the --utf8 mbox's time)\n", name,
                megabytesOfText / timing.wall, timing.cpu * 1000,
                timing.wall / utf8Conversion.wall);
  }
  std::printf("peak RSS: %ld KiB after a %.1f MB log, %ld KiB after the %.1f MB log\n",
              rssAfterSmall, megabytesOfText / 10, rssAfterLarge, megabytesOfText);
  return 0;
}
