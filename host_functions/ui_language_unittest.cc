#include "host_functions/ui_language.h"

#include <gtest/gtest.h>

TEST(UiLanguageTest, ChineseRegionsAndOtherLanguages) {
  const int kCases[][2] = {
      {0x0404, kUiLanguageTraditionalChinese},  // zh-TW
      {0x0C04, kUiLanguageTraditionalChinese},  // zh-HK
      {0x1404, kUiLanguageTraditionalChinese},  // zh-MO
      {0x0804, kUiLanguageSimplifiedChinese},   // zh-CN
      {0x1004, kUiLanguageSimplifiedChinese},   // zh-SG
      {0x0004, kUiLanguageSimplifiedChinese},   // neutral zh
      {0x0409, kUiLanguageOther},
      {0x0444, kUiLanguageOther}  // tt-RU: zh-TW's sublanguage
  };
  for (const auto& [language, language_class] : kCases)
    EXPECT_EQ(UiLanguageClassFor(language), language_class) << language;
}
