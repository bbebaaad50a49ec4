#include "utils/log_line.h"

#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>
#include <string>

namespace {

LogLinePrefix SamplePrefix() {
  return {4312, 4416, 12, 5, 13, 35, 29, 0, "/src/main_frame/main_frame_controller.cc", 53};
}

std::wstring Format(const LogLinePrefix& prefix) {
  std::wostringstream out;
  WriteLogLinePrefix(out, prefix);
  return out.str();
}

// The severity field: seven characters wide, right-aligned, between bars.
std::wstring SeverityField(int level) {
  LogLinePrefix prefix = SamplePrefix();
  prefix.level = level;
  std::wistringstream line(Format(prefix));
  std::wstring field;
  for (int i = 0; i < 4; ++i)
    std::getline(line, field, L'|');
  return field;
}

}  // namespace

TEST(LogLineTest, LevelNamesAndUnknownValues) {
  EXPECT_STREQ(LogLevelName(0), "DEBUG");
  EXPECT_STREQ(LogLevelName(1), "INFO");
  EXPECT_STREQ(LogLevelName(2), "WARNING");
  EXPECT_STREQ(LogLevelName(3), "ERROR");
  EXPECT_STREQ(LogLevelName(4), "FATAL");
  EXPECT_STREQ(LogLevelName(5), "UNKNOWN");
  EXPECT_STREQ(LogLevelName(-1), "UNKNOWN");
  EXPECT_STREQ(LogLevelName(-2147483647 - 1), "UNKNOWN");
}

TEST(LogLineTest, SeverityIsRightAlignedInSevenColumns) {
  EXPECT_EQ(SeverityField(0), L"  DEBUG");
  EXPECT_EQ(SeverityField(1), L"   INFO");
  EXPECT_EQ(SeverityField(2), L"WARNING");
  EXPECT_EQ(SeverityField(3), L"  ERROR");
  EXPECT_EQ(SeverityField(4), L"  FATAL");
  EXPECT_EQ(SeverityField(7), L"UNKNOWN");
  EXPECT_EQ(SeverityField(-3), L"UNKNOWN");
}

TEST(LogLineTest, SourceBaseNameTakesThePartAfterTheLastSeparator) {
  EXPECT_EQ(LogSourceBaseName("main.cc"), "main.cc");
  EXPECT_EQ(LogSourceBaseName(""), "");
  EXPECT_EQ(LogSourceBaseName("a/b\\c.cc"), "c.cc");
  EXPECT_EQ(LogSourceBaseName("a\\b/c.cc"), "c.cc");
  EXPECT_EQ(LogSourceBaseName("C:\\src\\log.cc"), "log.cc");
  EXPECT_EQ(LogSourceBaseName("dir/"), "");
}

TEST(LogLineTest, FullPrefix) {
  EXPECT_EQ(Format(SamplePrefix()),
            L"[4312 |4416 |12-05 13:35:29|  DEBUG|main_frame_controller.cc:53] ");

  // Single digits are zero-padded; a path without separators is kept whole.
  LogLinePrefix early = {7, 8, 1, 2, 3, 4, 5, 3, "x.cc", 1};
  EXPECT_EQ(Format(early), L"[7    |8    |01-02 03:04:05|  ERROR|x.cc:1] ");
}

TEST(LogLineTest, WideIdsAreNotCut) {
  LogLinePrefix prefix = SamplePrefix();
  prefix.process_id = 12345;
  prefix.thread_id = 4294967295u;
  EXPECT_EQ(Format(prefix).substr(0, 18), L"[12345|4294967295|");
}

TEST(LogLineTest, StreamIsLeftAsAFreshOneForTheText) {
  std::wostringstream out;
  WriteLogLinePrefix(out, SamplePrefix());
  out << std::setw(4) << 7;
  EXPECT_EQ(out.str().substr(out.str().size() - 4), L"   7");
}

TEST(LogLineTest, NonAsciiSourceNameSurvives) {
  LogLinePrefix prefix = SamplePrefix();
  prefix.source_path = "dir/\xC3\xA9t\xC3\xA9.cc";  // été.cc
  EXPECT_NE(Format(prefix).find(L"|\x00E9t\x00E9.cc:53] "), std::wstring::npos);
}
