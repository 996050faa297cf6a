#include "charset/search_folding.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace mixconv {
namespace {

std::string Folded(std::string_view text) {
  std::string out;
  AppendFoldedForSearch(out, text);
  return out;
}

TEST(SearchFoldingTest, WidthsAndCasesFoldAsNfkcAndCaseFoldingWould) {
  const struct {
    std::string_view text;
    std::string_view folded;
  } cases[] = {
      {"ＴＯＫＹＯ　Tokyo～", "tokyo tokyo~"},
      {"ﾃﾞｰﾀﾍﾞｰｽ｡", "データベース。"},
      {"ﾊﾟﾊﾞﾊﾋﾟﾎﾟｶﾞﾄﾞ", "パバハピポガド"},
      {"ｳﾞｫﾜﾞ", "ヴォヷ"},
      // Marks that join nothing stay, as the combining marks NFKC makes of them.
      {"ﾞｱｯﾞﾅﾟ", "\u3099アッ\u3099ナ\u309A"},
      {"カﾞ", "カ\u3099"},
      {"ΑΩАЯЁ", "αωаяё"},
      {"定例会議です。", "定例会議です。"},
      {"bad \xFF end", "bad \uFFFD end"},
  };
  for (const auto& [text, folded] : cases) {
    EXPECT_EQ(Folded(text), folded) << text;
  }
}

}  // namespace
}  // namespace mixconv
