#include "utils/string_util.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(StringUtilTest, RoundTripsBasicAndSupplementaryPlanes) {
  // a é 中 😀, a sequence of each length, the longest at the very end.
  const std::string utf8 = "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80";
  const std::wstring wide = Utf8ToWide(utf8);
  // The emoji is a surrogate pair where wchar_t has 16 bits.
  ASSERT_EQ(wide.size(), sizeof(wchar_t) == 2 ? 5u : 4u);
  EXPECT_EQ(static_cast<uint32_t>(wide[3]), sizeof(wchar_t) == 2 ? 0xD83Du : 0x1F600u);
  EXPECT_EQ(WideToUtf8(wide), utf8);
}

TEST(StringUtilTest, MalformedInputBecomesReplacementCharacter) {
  EXPECT_EQ(Utf8ToWide("\xC3"), L"\xFFFD");                        // truncated
  EXPECT_EQ(Utf8ToWide("\xC0\xAF"), L"\xFFFD\xFFFD");              // overlong
  EXPECT_EQ(Utf8ToWide("\xED\xA0\x80x"), L"\xFFFD\xFFFD\xFFFDx");  // encoded surrogate
  std::wstring lone_surrogate(1, static_cast<wchar_t>(0xD800));
  EXPECT_EQ(WideToUtf8(lone_surrogate), "\xEF\xBF\xBD");
}

TEST(StringUtilTest, CaseFoldingIsAsciiOnly) {
  EXPECT_TRUE(EqualsAsciiIgnoreCase("Host_PING", "host_ping"));
  EXPECT_FALSE(EqualsAsciiIgnoreCase("host_ping", "host_pin"));
  EXPECT_FALSE(EqualsAsciiIgnoreCase(L"\x00C9", L"\x00E9"));
  EXPECT_EQ(AsciiToLower(std::wstring_view(L"AbC\x00C9")), L"abc\x00C9");
}
