#include "host/run_mode.h"

#include <climits>

#include <gtest/gtest.h>

namespace {

RunMode ModeFor(const wchar_t* command_line) {
  return ChooseRunMode(CCmdLineParser(command_line, false));
}

TEST(RunModeTest, ExtensionOriginSelectsExtensionMode) {
  EXPECT_EQ(ModeFor(L"chrome-extension://kccfkjohlmdimceejcjdedpnnbkcnpbb/"), RunMode::kExtension);
  EXPECT_EQ(ModeFor(L"chrome-extension://kccfkjohlmdimceejcjdedpnnbkcnpbb/ --parent-window=0"),
            RunMode::kExtension);
}

TEST(RunModeTest, ExtensionSwitchAnywhereWins) {
  EXPECT_EQ(ModeFor(L"-extension"), RunMode::kExtension);
  EXPECT_EQ(ModeFor(L"/x /EXTENSION"), RunMode::kExtension);
  EXPECT_EQ(ModeFor(L"/devtools /p:1 /h:2 /extension"), RunMode::kExtension);
}

TEST(RunModeTest, DevToolsNeedsProcessAndWindow) {
  const CCmdLineParser parser(L"/devtools /p:1234 /h:5678", false);
  ASSERT_EQ(ChooseRunMode(parser), RunMode::kDevTools);
  EXPECT_EQ(ParseLeadingDecimal(parser.GetValue(L"p").value_or(L"")), 1234);
  EXPECT_EQ(ParseLeadingDecimal(parser.GetValue(L"h").value_or(L"")), 5678);

  EXPECT_EQ(ModeFor(L"/devtools /p:1234"), RunMode::kInstaller);
  EXPECT_EQ(ModeFor(L"/devtools /h:5678"), RunMode::kInstaller);
  EXPECT_EQ(ModeFor(L"/p:1234 /h:5678"), RunMode::kInstaller);
}

TEST(RunModeTest, AnythingElseIsTheInstaller) {
  EXPECT_EQ(ModeFor(L""), RunMode::kInstaller);
  EXPECT_EQ(ModeFor(L"/silent"), RunMode::kInstaller);
  EXPECT_EQ(ModeFor(L"extension"), RunMode::kInstaller);
}

TEST(RunModeTest, OnlyTheInstallerExitsWithZero) {
  EXPECT_EQ(ExitCodeFor(RunMode::kExtension), 1);
  EXPECT_EQ(ExitCodeFor(RunMode::kDevTools), 1);
  EXPECT_EQ(ExitCodeFor(RunMode::kInstaller), 0);
  EXPECT_EQ(ExitCodeFor(ModeFor(L"")), 0);
}

TEST(RunModeTest, LeadingDecimalReadsDigitsOnly) {
  EXPECT_EQ(ParseLeadingDecimal(L"0"), 0);
  EXPECT_EQ(ParseLeadingDecimal(L"42abc7"), 42);
  EXPECT_EQ(ParseLeadingDecimal(L"007"), 7);
  EXPECT_EQ(ParseLeadingDecimal(L""), 0);
  EXPECT_EQ(ParseLeadingDecimal(L"abc"), 0);
  EXPECT_EQ(ParseLeadingDecimal(L" 5"), 0);
  EXPECT_EQ(ParseLeadingDecimal(L"-5"), 0);
  EXPECT_EQ(ParseLeadingDecimal(L"+5"), 0);
}

TEST(RunModeTest, LeadingDecimalSaturates) {
  EXPECT_EQ(ParseLeadingDecimal(L"2147483647"), INT_MAX);
  EXPECT_EQ(ParseLeadingDecimal(L"2147483646"), INT_MAX - 1);
  EXPECT_EQ(ParseLeadingDecimal(L"2147483648"), INT_MAX);
  EXPECT_EQ(ParseLeadingDecimal(L"99999999999999999999"), INT_MAX);
}

}  // namespace
