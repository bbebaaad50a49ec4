#include "host/run_mode.h"

#include <gtest/gtest.h>

namespace {

TEST(RunModeTest, ChoosesTheModeAndItsExitCode) {
  const struct {
    const wchar_t* text;
    RunMode mode;
  } cases[] = {{L"chrome-extension://kccf/ --parent-window=0", RunMode::kExtension},
               {L"/devtools /p:1 /h:2 /extension", RunMode::kExtension},
               {L"/devtools /p:1234 /h:5678", RunMode::kDevTools},
               {L"/devtools /p:1234", RunMode::kInstaller},
               {L"/p:1234 /h:5678", RunMode::kInstaller},
               {L"extension", RunMode::kInstaller},
               {L"/Diagnose", RunMode::kDiagnose},
               {L"/diagnose /devtools /p:1 /h:2", RunMode::kDevTools},
               {L"-extension /diagnose", RunMode::kExtension},
               {L"", RunMode::kInstaller}};
  for (const auto& c : cases)
    EXPECT_EQ(ChooseRunMode(CCmdLineParser(c.text, false)), c.mode) << c.text;
  EXPECT_EQ(ExitCodeFor(RunMode::kExtension), 1);
  EXPECT_EQ(ExitCodeFor(RunMode::kDevTools), 1);
  EXPECT_EQ(ExitCodeFor(RunMode::kInstaller), 0);
}

TEST(RunModeTest, LeadingDecimalReadsDigitsOnlyAndSaturates) {
  const struct {
    const wchar_t* text;
    int value;
  } cases[] = {{L"42abc7", 42},
               {L"007", 7},
               {L"", 0},
               {L" 5", 0},
               {L"-5", 0},
               {L"+5", 0},
               {L"2147483646", 2147483646},
               {L"2147483647", 2147483647},
               {L"2147483648", 2147483647},
               {L"99999999999999999999", 2147483647}};
  for (const auto& c : cases)
    EXPECT_EQ(ParseLeadingDecimal(c.text), c.value) << c.text;
}

}  // namespace
