#include "tab_view/cookie_lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using Lines = std::vector<std::pair<std::wstring, bool>>;

// Each text is read from a buffer that ends exactly where it does, so that
// ASan sees a read past its end.
TEST(UnescapeCookieTextTest, DecodesCompleteEscapesOnce) {
  const std::pair<std::wstring_view, std::wstring_view> cases[] = {
      {L"a%3Db%3b%20c", L"a=b; c"},
      {L"%25%32%35", L"%25"},
      {L"", L""},
      {L"%", L"%"},
      {L"%41%4", L"A%4"},
      {L"%G1%1G%%41", L"%G1%1G%A"},
      // UTF-8, outside the basic plane too (a surrogate pair where wchar_t
      // is 16 bits).
      {L"%E4%B8%AD%E6%96%87", L"\u4e2d\u6587"},
      {L"%F0%9F%8D%AA", L"\U0001F36A"},
      // Bytes that are not UTF-8 stand for themselves: Latin-1, a cut or
      // interrupted sequence, an overlong form, a surrogate, > U+10FFFF.
      {L"%E9t%E9%FF", L"\u00e9t\u00e9\u00ff"},
      {L"%C3%A9%FF", L"\u00e9\u00ff"},
      {L"%C3", L"\u00c3"},
      {L"%C3x%A9", L"\u00c3x\u00a9"},
      {L"%C0%AF", L"\u00c0\u00af"},
      {L"%ED%A0%80", L"\u00ed\u00a0\u0080"},
      {L"%F4%90%80%80", L"\u00f4\u0090\u0080\u0080"},
  };
  for (const auto& [text, expected] : cases) {
    auto exact = std::make_unique<wchar_t[]>(text.size());
    std::copy(text.begin(), text.end(), exact.get());
    EXPECT_EQ(UnescapeCookieText(std::wstring_view(exact.get(), text.size())), expected)
        << std::wstring(text);
  }
}

TEST(ParseCookieLinesTest, LinesWithTheirHttpOnlyFlag) {
  const std::pair<std::wstring_view, Lines> cases[] = {
      {L"%23httponly%23sid%3Dx%3B%20path%3D%2F\nplain=1",
       {{L"sid=x; path=/", true}, {L"plain=1", false}}},
      // Only the exact prefix, once, at the start of a line.
      {L"#HttpOnly#a=1", {{L"#HttpOnly#a=1", false}}},
      {L"x#httponly#a=1", {{L"x#httponly#a=1", false}}},
      {L"#httponly#", {}},
      {L"#httponly##httponly#a=1", {{L"#httponly#a=1", true}}},
      {L"a=1\r\nb=2\r\n", {{L"a=1", false}, {L"b=2", false}}},
      {L"a=1%0D%0Ab=2", {{L"a=1", false}, {L"b=2", false}}},
      // An escaped NUL would cut the cookie short: its line goes.
      {L"a=1%00evil=2\nb=2", {{L"b=2", false}}},
      {L"%00", {}},
  };
  for (const auto& [text, expected] : cases) {
    Lines lines;
    for (const CookieLine& line : ParseCookieLines(text))
      lines.emplace_back(line.cookie, line.http_only);
    EXPECT_EQ(lines, expected) << std::wstring(text);
  }
}

}  // namespace
