#include "tab_view/cookie_lines.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::pair<std::wstring, bool>>;

Lines Parse(std::wstring_view text) {
  Lines lines;
  for (const CookieLine& line : ParseCookieLines(text))
    lines.emplace_back(line.cookie, line.http_only);
  return lines;
}

TEST(UnescapeCookieTextTest, DecodesCompleteEscapesOnly) {
  EXPECT_EQ(UnescapeCookieText(L"a%3Db%3b%20c"), L"a=b; c");
  EXPECT_EQ(UnescapeCookieText(L"%25%32%35"), L"%25") << "decoded once, not repeatedly";
  EXPECT_EQ(UnescapeCookieText(L"100%"), L"100%");
  EXPECT_EQ(UnescapeCookieText(L"%4"), L"%4");
  EXPECT_EQ(UnescapeCookieText(L"%G1%1G%%41"), L"%G1%1G%A");
  EXPECT_EQ(UnescapeCookieText(L""), L"");
}

// A view into a buffer that ends exactly where the text does, so that ASan
// sees a read past its end.
TEST(UnescapeCookieTextTest, StaysInsideATextWithoutTerminator) {
  const std::pair<std::wstring_view, std::wstring_view> cases[] = {
      {L"%", L"%"}, {L"%4", L"%4"}, {L"a%4", L"a%4"}, {L"%41%", L"A%"}, {L"%41%4", L"A%4"}};
  for (const auto& [text, expected] : cases) {
    auto exact = std::make_unique<wchar_t[]>(text.size());
    std::copy(text.begin(), text.end(), exact.get());
    EXPECT_EQ(UnescapeCookieText(std::wstring_view(exact.get(), text.size())), expected)
        << std::wstring(text);
  }
}

TEST(UnescapeCookieTextTest, EscapedUtf8BecomesItsCharacters) {
  EXPECT_EQ(UnescapeCookieText(L"%E4%B8%AD%E6%96%87"), L"\u4e2d\u6587");
  // Outside the basic plane: a surrogate pair where wchar_t is 16 bits.
  EXPECT_EQ(UnescapeCookieText(L"%F0%9F%8D%AA"), std::wstring(L"\U0001F36A"));
}

TEST(UnescapeCookieTextTest, BytesThatAreNotUtf8StandForThemselves) {
  EXPECT_EQ(UnescapeCookieText(L"%FF"), L"\u00ff");
  EXPECT_EQ(UnescapeCookieText(L"%E9t%E9"), L"\u00e9t\u00e9") << "Latin-1 escapes";
  EXPECT_EQ(UnescapeCookieText(L"%C3%A9%FF"), L"\u00e9\u00ff") << "valid part decoded";
  EXPECT_EQ(UnescapeCookieText(L"%C3"), L"\u00c3") << "sequence cut short";
  EXPECT_EQ(UnescapeCookieText(L"%C3x%A9"), L"\u00c3x\u00a9") << "interrupted sequence";
  EXPECT_EQ(UnescapeCookieText(L"%C0%AF"), L"\u00c0\u00af") << "overlong form";
  EXPECT_EQ(UnescapeCookieText(L"%ED%A0%80"), L"\u00ed\u00a0\u0080") << "surrogate";
  EXPECT_EQ(UnescapeCookieText(L"%F4%90%80%80"), L"\u00f4\u0090\u0080\u0080") << "> U+10FFFF";
}

TEST(ParseCookieLinesTest, HttpOnlyPrefixIsTakenOff) {
  EXPECT_EQ(Parse(L"%23httponly%23sid%3Dx%3B%20path%3D%2F\nplain=1"),
            (Lines{{L"sid=x; path=/", true}, {L"plain=1", false}}));
  EXPECT_EQ(Parse(L"#HttpOnly#a=1"), (Lines{{L"#HttpOnly#a=1", false}})) << "exact prefix only";
  EXPECT_EQ(Parse(L"x#httponly#a=1"), (Lines{{L"x#httponly#a=1", false}}));
  EXPECT_EQ(Parse(L"#httponly#"), Lines{}) << "no cookie after the prefix";
  EXPECT_EQ(Parse(L"#httponly##httponly#a=1"), (Lines{{L"#httponly#a=1", true}}));
}

TEST(ParseCookieLinesTest, CrLfLineEndsLeaveNoCarriageReturn) {
  EXPECT_EQ(Parse(L"a=1\r\nb=2\r\n"), (Lines{{L"a=1", false}, {L"b=2", false}}));
  EXPECT_EQ(Parse(L"a=1%0D%0Ab=2"), (Lines{{L"a=1", false}, {L"b=2", false}}));
}

TEST(ParseCookieLinesTest, EscapedNulDropsOnlyItsLine) {
  EXPECT_EQ(Parse(L"a=1%00evil=2\nb=2"), (Lines{{L"b=2", false}}));
  EXPECT_EQ(Parse(L"%00"), Lines{});
}

}  // namespace
