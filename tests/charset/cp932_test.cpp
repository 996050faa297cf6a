#include "charset/cp932.h"

#include <gtest/gtest.h>

namespace mixconv {
namespace {

std::string Encode(std::string_view utf8) {
  const Cp932Text text = EncodeCp932(utf8, "UTF-8");
  EXPECT_TRUE(text.ok()) << text.error;
  return text.bytes;
}

TEST(Cp932Test, UsesMicrosoftsMappingWhereShiftJisVariantsDiffer) {
  EXPECT_EQ(Encode("\uFF5E"), "\x81\x60");  // fullwidth tilde
  EXPECT_EQ(Encode("\u301C"), "\x81\x60");  // wave dash
  EXPECT_EQ(Encode("\u2015"), "\x81\x5C");  // horizontal bar
  EXPECT_EQ(Encode("\u2225"), "\x81\x61");  // parallel to
  EXPECT_EQ(Encode("\uFF0D"), "\x81\x7C");  // fullwidth hyphen-minus
  EXPECT_EQ(Encode("\u2460"), "\x87\x40");  // NEC row 13: circled one
  EXPECT_EQ(Encode("\u9AD9"), "\xFB\xFC");  // IBM extension
  EXPECT_EQ(Encode("山田 太郎 <taro@example.jp>"),
            "\x8E\x52\x93\x63 \x91\xBE\x98\x59 <taro@example.jp>");
  EXPECT_EQ(Encode(""), "");
}

TEST(Cp932Test, RefusesWhatTheMailboxCannotHold) {
  for (const std::string_view text : {"a\nb", "a\rb", "tab\there", "\x7F", "\u2028"}) {
    const Cp932Text encoded = EncodeCp932(text, "UTF-8");
    EXPECT_NE(encoded.error.find("control character"), std::string::npos) << encoded.error;
  }
  const Cp932Text emoji = EncodeCp932("smile \U0001F600", "UTF-8");
  EXPECT_EQ(emoji.error, "contains U+1F600, which has no Shift_JIS form");
  EXPECT_EQ(EncodeCp932("caf\u00E9", "UTF-8").error,
            "contains U+00E9, which has no Shift_JIS form");
  EXPECT_FALSE(EncodeCp932("\xFF\xFE", "UTF-8").ok());
  EXPECT_EQ(EncodeCp932("\xE9t\xE9", "ISO-8859-1").error,
            "contains U+00E9, which has no Shift_JIS form");
}

}  // namespace
}  // namespace mixconv
