#include "ie_control/intelliforms_popup_rule.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

const wchar_t* Atom(uintptr_t value) {
  return reinterpret_cast<const wchar_t*>(value);
}

}  // namespace

TEST(IntelliFormsPopupRuleTest, GuardLastsEightHundredMillisecondsInclusive) {
  const uint32_t close = 100000;
  EXPECT_EQ(ElapsedWithinCloseGuard(close, close), 0u);
  EXPECT_EQ(ElapsedWithinCloseGuard(close, close + 799), 799u);
  EXPECT_EQ(ElapsedWithinCloseGuard(close, close + 800), 800u);
  EXPECT_EQ(ElapsedWithinCloseGuard(close, close + 801), std::nullopt);
  EXPECT_EQ(ElapsedWithinCloseGuard(close, close + 0x7FFFFFFF), std::nullopt);
}

TEST(IntelliFormsPopupRuleTest, NothingIsGuardedBeforeTheFirstClose) {
  for (uint32_t now : {0u, 1u, 800u, 0xFFFFFFFFu})
    EXPECT_EQ(ElapsedWithinCloseGuard(0, now), std::nullopt) << now;
  // Across the wrap of the tick count; a stale clock read before the close
  // is far outside.
  EXPECT_EQ(ElapsedWithinCloseGuard(0xFFFFFFFFu, 799u), 800u);
  EXPECT_EQ(ElapsedWithinCloseGuard(0xFFFFFFFFu, 800u), std::nullopt);
  EXPECT_EQ(ElapsedWithinCloseGuard(1000u, 999u), std::nullopt);
}

TEST(IntelliFormsPopupRuleTest, OnlyTheSuggestionWindowByName) {
  EXPECT_TRUE(IsIntelliFormsPopup(L"intelliformclass", L"INTELLIFORMPROXY"));
  EXPECT_FALSE(IsIntelliFormsPopup(L"IntelliFormClass", L"IntelliFormProxy2"));
  EXPECT_FALSE(IsIntelliFormsPopup(L"IntelliFormProxy", L"IntelliFormClass"));
  EXPECT_FALSE(IsIntelliFormsPopup(nullptr, L"IntelliFormProxy"));
  EXPECT_FALSE(IsIntelliFormsPopup(L"IntelliFormClass", nullptr));
  EXPECT_FALSE(IsIntelliFormsPopup(Atom(0xFFFF), L"IntelliFormProxy"));
  EXPECT_FALSE(IsIntelliFormsPopup(L"IntelliFormClass", Atom(0xC123)));
}
