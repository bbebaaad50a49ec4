#include "utils/crash_report_text.h"

#include <gtest/gtest.h>

TEST(CrashReportTextTest, DumpNameSortsByTimeAndEndsWithTheTickInHex) {
  EXPECT_EQ(DumpFileName({2026, 12, 5, 13, 35, 29, 42}, 0x1A2B),
            L"tabbridge_202612051335_29042_1a2b.dump");
  EXPECT_EQ(DumpFileName({2027, 1, 2, 3, 4, 5, 6}, 0xFFFFFFFF),
            L"tabbridge_202701020304_05006_ffffffff.dump");
}

TEST(CrashReportTextTest, PruningKeepsTheNewestTen) {
  std::vector<std::wstring> paths;
  for (wchar_t c : std::wstring(L"kbjacdefghi"))  // eleven, not in order
    paths.push_back(std::wstring(L"d\\tabbridge_") + c + L".dump");
  EXPECT_EQ(DumpsToPrune(paths), std::vector<std::wstring>{L"d\\tabbridge_a.dump"});
  paths.pop_back();
  EXPECT_TRUE(DumpsToPrune(paths).empty());
  EXPECT_EQ(DumpsToPrune({L"b", L"a", L"c"}, 1), (std::vector<std::wstring>{L"a", L"b"}));
}

TEST(CrashReportTextTest, Base64UrlUsesTheSafeAlphabetAndKeepsPadding) {
  const struct {
    std::string in, out;
  } cases[] = {{"", ""},        {"f", "Zg=="},        {"fo", "Zm8="},
               {"foo", "Zm9v"}, {"\xFB\xFF", "-_8="}, {std::string("\0\0\0", 3), "AAAA"}};
  for (const auto& c : cases)
    EXPECT_EQ(Base64UrlEncode(c.in), c.out) << c.in;
}

TEST(CrashReportTextTest, BodyCarriesVersionReleaseCodeAndEncodedStack) {
  EXPECT_EQ(CrashReportBody("2.26.20.0", 12, "a?b"), "ver=2.26.20.0&os=12&content=YT9i");
}
