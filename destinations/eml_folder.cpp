#include "destinations/eml_folder.h"

#include <cstdio>
#include <ctime>

#include "destinations/portable_name.h"
#include "engine/date_text.h"

namespace mixconv {

namespace {

constexpr char kNumberAndDateFormat[] = "%010u %04d-%02d-%02d %02d%02d";
constexpr std::size_t kNumberAndDateSize = 80;  // room for any int, as the compiler counts
constexpr int kTmYearBase = 1900;
// Short enough that a deep folder's paths stay within Windows' usual limit.
constexpr std::size_t kMaxSubjectCharacters = 40;
constexpr std::string_view kFileExtension = ".eml";

std::string EmlFileName(const MailFacts& facts, std::string_view) {
  const std::tm local = BreakDownLocalTime(facts.time);
  char numberAndDate[kNumberAndDateSize];
  std::snprintf(numberAndDate, sizeof numberAndDate, kNumberAndDateFormat, facts.number,
                local.tm_year + kTmYearBase, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                local.tm_min);
  std::string name = numberAndDate;
  const std::string shown = PortableNameText(facts.subject, kMaxSubjectCharacters);
  if (!shown.empty()) {
    name += ' ';
    name += shown;
  }
  name += kFileExtension;
  return name;
}

}  // namespace

const FolderLayout kEmlFolderLayout{".eml-files", {}, true, EmlFileName};

}  // namespace mixconv
