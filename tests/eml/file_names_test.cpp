// The names of the mail files in a folder: the subject as a reader shows it,
// in a name that every system takes.
#include <gtest/gtest.h>

#include <string>

#include "destinations/eml_folder.h"
#include "destinations/maildir_folder.h"
#include "destinations/portable_name.h"
#include "tests/support/conversion_harness.h"

namespace mixconv::testing {
namespace {

constexpr std::int32_t kJune14 = 992503440;  // 2001-06-14 16:24 in Japan

TEST(PortableNameTest, NamesHoldNothingAnySystemRefusesOrThatHidesWhatTheyAre) {
  const struct {
    const char* text;
    std::size_t maxCharacters;
    const char* name;
  } cases[] = {
      {"Meeting", 40, "Meeting"},
      {"a<b>c:d\"e/f\\g|h?i*j", 40, "a b c d e f g h i j"},
      {"tab\there\x01 and\x7F del", 40, "tab here and del"},
      {"  ...leading and trailing...  ", 40, "leading and trailing"},
      {"right\u202Egpj.exe", 40, "right gpj.exe"},
      {"zero\u200Bwidth\uFEFF", 40, "zero width"},
      {"定例会議の議事録です", 4, "定例会議"},
      {"cut at. a dot", 7, "cut at"},
      {"...", 40, ""},
  };
  for (const auto& [text, maxCharacters, name] : cases) {
    EXPECT_EQ(PortableNameText(text, maxCharacters), name) << text;
  }
}

TEST(MailFileNamesTest, NamesSortByIndexPlaceAndShowDateAndSubject) {
  PinTimeZone();
  const struct {
    const FolderLayout& layout;
    std::uint32_t number;
    std::int32_t time;
    const char* subject;
    const char* name;
  } cases[] = {
      {kEmlFolderLayout, 3, kJune14, "定例会議", "0000000003 2001-06-14 1624 定例会議.eml"},
      {kEmlFolderLayout, 4294967295U, kJune14, "Re: photos",
       "4294967295 2001-06-14 1624 Re photos.eml"},
      {kEmlFolderLayout, 12, -86400, "", "0000000012 1969-12-31 0900.eml"},
      {kEmlFolderLayout, 5, kJune14, " ... ", "0000000005 2001-06-14 1624.eml"},
      {kMaildirLayout, 3, kJune14, "Ignored", "cur/0992503440.M0000000003P348eee67.mixconv:2,S"},
      {kMaildirLayout, 7, -86400, "", "cur/0000000000.M0000000007P348eee67.mixconv:2,S"},
  };
  for (const auto& [layout, number, time, subject, name] : cases) {
    MailFacts facts;
    facts.number = number;
    facts.time = time;
    facts.subject = subject;
    EXPECT_EQ(layout.fileName(facts, "SAMPLE"), name) << subject;
  }
  MailFacts facts;
  facts.number = 3;
  facts.time = kJune14;
  EXPECT_NE(kMaildirLayout.fileName(facts, "OTHER"), kMaildirLayout.fileName(facts, "SAMPLE"));
}

}  // namespace
}  // namespace mixconv::testing
