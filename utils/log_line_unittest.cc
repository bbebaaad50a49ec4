#include "utils/log_line.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <string>

namespace {

std::wstring Format(const LogLinePrefix& prefix) {
  std::wostringstream out;
  WriteLogLinePrefix(out, prefix);
  return out.str();
}

}  // namespace

TEST(LogLineTest, SourceBaseNameTakesThePartAfterTheLastSeparator) {
  EXPECT_EQ(LogSourceBaseName("main.cc"), "main.cc");
  EXPECT_EQ(LogSourceBaseName("a/b\\c.cc"), "c.cc");
  EXPECT_EQ(LogSourceBaseName("a\\b/c.cc"), "c.cc");
  EXPECT_EQ(LogSourceBaseName("dir/"), "");
}

TEST(LogLineTest, FullPrefixAndUnknownLevels) {
  EXPECT_EQ(Format({4312, 4416, 12, 5, 13, 35, 29, 0, "/src/main_frame/frame.cc", 53}),
            L"[4312 |4416 |12-05 13:35:29|  DEBUG|frame.cc:53] ");
  EXPECT_EQ(Format({7, 4294967295u, 1, 2, 3, 4, 5, 3, "dir\\\xC3\xA9t\xC3\xA9.cc", 1}),
            L"[7    |4294967295|01-02 03:04:05|  ERROR|\x00E9t\x00E9.cc:1] ");
  for (int level : {5, -1, INT_MIN})
    EXPECT_STREQ(LogLevelName(level), "UNKNOWN");
}
