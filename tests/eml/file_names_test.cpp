// The names of the mail files in a folder: the subject as a reader shows it,
// in a name that every system takes.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "destinations/eml_folder.h"
#include "destinations/header_text.h"
#include "destinations/maildir_folder.h"
#include "destinations/portable_name.h"
#include "destinations/subject_catcher.h"
#include "tests/support/conversion_harness.h"

namespace mixconv::testing {
namespace {

constexpr std::int32_t kJune14 = 992503440;  // 2001-06-14 16:24 in Japan

TEST(HeaderTextTest, EncodedWordsInUtf8AreDecodedAndOthersRefused) {
  const struct {
    const char* value;
    std::optional<std::string> text;
  } cases[] = {
      {" Meeting", " Meeting"},
      {" =?UTF-8?B?5a6a5L6L5Lya6K2w?=", " 定例会議"},
      // Folded: the space between two words goes, the one before the first stays.
      {" Re: =?UTF-8?B?5a6a5L6L?= =?utf-8?b?5Lya6K2w?= end", " Re: 定例会議 end"},
      {" =?UTF-8?Q?caf=C3=A9_au_lait?=", " café au lait"},
      {" =?US-ASCII*en?Q?plain?=", " plain"},
      {" =?ISO-2022-JP?B?GyRCNGE7eiQ3JEYkJCReJDkbKEI=?=", std::nullopt},
      {" =?UTF-8?B?not*base64?=", std::nullopt},
      {" =?UTF-8?Q?bad=Z1?=", std::nullopt},
      {" =?UTF-8?B?/w==?=", std::nullopt},  // a byte that is not UTF-8
      {" =?UTF-8?B?unfinished", " =?UTF-8?B?unfinished"},
      {" 50% =?off", " 50% =?off"},
  };
  for (const auto& [value, text] : cases) {
    EXPECT_EQ(DecodeHeaderText(value), text) << value;
  }
}

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

TEST(SubjectCatcherTest, TheFieldIsTakenFromTheHeaderInAnyPieces) {
  const struct {
    const char* what;
    std::vector<std::string> pieces;
    std::string value;
  } cases[] = {
      {"one piece", {"From: a\nSubject: Hello\nTo: b\n\nbody\n"}, " Hello"},
      {"split inside the name", {"From: a\nSubj", "ect: Hel", "lo\n\n"}, " Hello"},
      {"folded",
       {"subject: =?UTF-8?B?5a6a?=\n =?UTF-8?B?5L6L?=\nTo: b\n\n"},
       " =?UTF-8?B?5a6a?= =?UTF-8?B?5L6L?="},
      {"CR LF lines", {"Subject: Hello\r\nTo: b\r\n\r\n"}, " Hello"},
      {"only in the text", {"From: a\n\nSubject: no\n"}, ""},
      {"the first of two", {"Subject: one\nSubject: two\n\n"}, " one"},
      {"long",
       {"Subject: " + std::string(5000, 'x') + "\n\n"},
       " " + std::string(SubjectCatcher::kMaxValueBytes - 1, 'x')},
  };
  for (const auto& [what, pieces, value] : cases) {
    SubjectCatcher catcher;
    catcher.Take("Subject: an earlier mail\n\n");
    catcher.Reset();
    for (const std::string& piece : pieces) {
      catcher.Take(piece);
    }
    EXPECT_EQ(catcher.Value(), value) << what;
  }
}

TEST(MailFileNamesTest, NamesSortByIndexPlaceAndShowDateAndSubject) {
  PinTimeZone();
  const struct {
    const FolderLayout& layout;
    MailStart start;
    const char* subject;
    const char* name;
  } cases[] = {
      {kEmlFolderLayout,
       {3, kJune14},
       " =?UTF-8?B?5a6a5L6L5Lya6K2w?=",
       "0000000003 2001-06-14 1624 定例会議.eml"},
      {kEmlFolderLayout,
       {4294967295U, kJune14},
       " Re: photos",
       "4294967295 2001-06-14 1624 Re photos.eml"},
      {kEmlFolderLayout, {12, -86400}, "", "0000000012 1969-12-31 0900.eml"},
      {kEmlFolderLayout,
       {5, kJune14},
       " =?ISO-2022-JP?B?GyRCNGEbKEI=?=",
       "0000000005 2001-06-14 1624.eml"},
      {kMaildirLayout, {3, kJune14}, " Ignored", "cur/0992503440.M0000000003P348eee67.mixconv:2,S"},
      {kMaildirLayout, {7, -86400}, "", "cur/0000000000.M0000000007P348eee67.mixconv:2,S"},
  };
  for (const auto& [layout, start, subject, name] : cases) {
    EXPECT_EQ(layout.fileName(start, subject, "SAMPLE"), name) << subject;
  }
  EXPECT_NE(kMaildirLayout.fileName({3, kJune14}, "", "OTHER"),
            kMaildirLayout.fileName({3, kJune14}, "", "SAMPLE"));
}

}  // namespace
}  // namespace mixconv::testing
