#include "host_functions/ui_language.h"

#include <gtest/gtest.h>

TEST(UiLanguageTest, TraditionalChineseRegions) {
  EXPECT_EQ(UiLanguageClassFor(0x0404), kUiLanguageTraditionalChinese);  // zh-TW
  EXPECT_EQ(UiLanguageClassFor(0x0C04), kUiLanguageTraditionalChinese);  // zh-HK
  EXPECT_EQ(UiLanguageClassFor(0x1404), kUiLanguageTraditionalChinese);  // zh-MO
}

TEST(UiLanguageTest, OtherChineseIsSimplified) {
  EXPECT_EQ(UiLanguageClassFor(0x0804), kUiLanguageSimplifiedChinese);  // zh-CN
  EXPECT_EQ(UiLanguageClassFor(0x1004), kUiLanguageSimplifiedChinese);  // zh-SG
  EXPECT_EQ(UiLanguageClassFor(0x0004), kUiLanguageSimplifiedChinese);  // neutral zh
}

TEST(UiLanguageTest, OtherLanguages) {
  EXPECT_EQ(UiLanguageClassFor(0x0409), kUiLanguageOther);  // en-US
  EXPECT_EQ(UiLanguageClassFor(0x0411), kUiLanguageOther);  // ja-JP
  EXPECT_EQ(UiLanguageClassFor(0x0000), kUiLanguageOther);
  // Same sublanguage as zh-TW and an id ending in the same hex digit.
  EXPECT_EQ(UiLanguageClassFor(0x0444), kUiLanguageOther);  // tt-RU
}
