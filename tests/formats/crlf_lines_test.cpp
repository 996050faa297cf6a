#include "formats/crlf_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "formats/string_sink.h"

namespace mixconv {
namespace {

struct Case {
  std::vector<std::string_view> pieces;  // as a writer hands them on
  std::string_view expected;
};

const Case kCases[] = {
    {{"a\nb\n"}, "a\r\nb\r\n"},       {{"a\r\nb\n"}, "a\r\nb\r\n"}, {{"a\r", "\nb"}, "a\r\nb"},
    {{"a", "\n", "\n"}, "a\r\n\r\n"}, {{"\r", "", "\n"}, "\r\n"},   {{"a\rb\n"}, "a\rb\r\n"},
    {{"no line end"}, "no line end"},
};

TEST(CrLfLinesTest, EveryLineEndsInCrLfWhateverThePieces) {
  for (const Case& test : kCases) {
    std::string kept;
    StringSink keptBytes(kept);
    CrLfLines lines(keptBytes);
    for (const std::string_view piece : test.pieces) {
      lines.Write(piece);
    }
    EXPECT_EQ(kept, test.expected) << test.pieces.front();
  }
}

TEST(CrLfLinesTest, ACrThatEndedTheLastMessageIsForgottenOnReset) {
  std::string kept;
  StringSink keptBytes(kept);
  CrLfLines lines(keptBytes);
  lines.Write("a\r");
  lines.Reset();
  lines.Write("\n");
  EXPECT_EQ(kept, "a\r\r\n");
}

}  // namespace
}  // namespace mixconv
