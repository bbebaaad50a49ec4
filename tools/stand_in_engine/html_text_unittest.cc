#include "tools/stand_in_engine/html_text.h"

#include <gtest/gtest.h>

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

TEST(DecodeCharacterReferencesTest, NamedAndNumeric) {
  EXPECT_EQ(DecodeCharacterReferences(L"&lt;a href=&quot;x&quot;&gt; &amp;&apos;"),
            L"<a href=\"x\"> &'");
  EXPECT_EQ(DecodeCharacterReferences(L"&#65;&#x42;&#X43;&nbsp;"), L"ABC\xA0");
}

TEST(DecodeCharacterReferencesTest, UnknownOrUnterminatedStayLiteral) {
  EXPECT_EQ(DecodeCharacterReferences(L"&copy; &amp &#; &#x; &#12a; a&b;c"),
            L"&copy; &amp &#; &#x; &#12a; a&b;c");
  EXPECT_EQ(DecodeCharacterReferences(L"&amp and then later;"), L"&amp and then later;");
  EXPECT_EQ(DecodeCharacterReferences(L"&"), L"&");
  EXPECT_EQ(DecodeCharacterReferences(L"&&amp;"), L"&&");
}

TEST(DecodeCharacterReferencesTest, ImpossibleCodePointsBecomeReplacement) {
  const std::wstring expected(1, kReplacement);
  EXPECT_EQ(DecodeCharacterReferences(L"&#0;"), expected);
  EXPECT_EQ(DecodeCharacterReferences(L"&#xD800;"), expected);
  EXPECT_EQ(DecodeCharacterReferences(L"&#x110000;"), expected);
  EXPECT_EQ(DecodeCharacterReferences(L"&#99999999;"), expected);
  EXPECT_EQ(DecodeCharacterReferences(L"&#xFFFFFFFFFFFFFFFFFFFF;"), expected);
  EXPECT_EQ(DecodeCharacterReferences(L"&#x0000000041;"), L"A");
}

TEST(AppendCodePointTest, AstralPlaneFitsTheWideString) {
  std::wstring out;
  AppendCodePoint(0x1F600, &out);
  if constexpr (sizeof(wchar_t) == 2) {
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0], static_cast<wchar_t>(0xD83D));
    EXPECT_EQ(out[1], static_cast<wchar_t>(0xDE00));
  } else {
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(static_cast<char32_t>(out[0]), 0x1F600u);
  }
  out.clear();
  AppendCodePoint(0xDFFF, &out);
  EXPECT_EQ(out, std::wstring(1, kReplacement));
}

TEST(CollapseWhitespaceTest, FoldsAndTrims) {
  EXPECT_EQ(CollapseWhitespace(L" \t a \r\n\f b  "), L"a b");
  EXPECT_EQ(CollapseWhitespace(L"   "), L"");
  EXPECT_EQ(CollapseWhitespace(L"a\xA0 b"), L"a\xA0 b");  // no-break space is text
}

}  // namespace
