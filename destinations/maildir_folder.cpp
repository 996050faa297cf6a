#include "destinations/maildir_folder.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace mixconv {

namespace {

constexpr std::string_view kSubfolders[] = {"cur", "new", "tmp"};
constexpr char kFileNameFormat[] = "cur/%010ld.M%010uP%08x.mixconv:2,S";
constexpr std::size_t kFileNameSize = 64;
// FNV-1a, 32 bits: a few lines, the same on every platform.
constexpr std::uint32_t kFnvOffsetBasis = 0x811C9DC5;
constexpr std::uint32_t kFnvPrime = 0x01000193;

std::uint32_t LogTag(std::string_view logName) {
  std::uint32_t hash = kFnvOffsetBasis;
  for (const char byte : logName) {
    hash = (hash ^ static_cast<unsigned char>(byte)) * kFnvPrime;
  }
  return hash;
}

// Maildir readers take the time as a count of seconds: a mail from before 1970
// is named as of 1970, its file keeping its own date.
std::string MaildirFileName(const MailFacts& facts, std::string_view logName) {
  char name[kFileNameSize];
  std::snprintf(name, sizeof name, kFileNameFormat, static_cast<long>(std::max(facts.time, 0)),
                facts.number, LogTag(logName));
  return name;
}

}  // namespace

const FolderLayout kMaildirLayout{".maildir", kSubfolders, false, MaildirFileName};

}  // namespace mixconv
