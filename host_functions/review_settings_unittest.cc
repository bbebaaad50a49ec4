#include "host_functions/review_settings.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "tests/scoped_registry_backup.h"

namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\tabbridge";

void Set(const wchar_t* name, DWORD type, DWORD value) {
  ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name, type, &value, sizeof(value)),
            ERROR_SUCCESS);
}

DWORD Get(const wchar_t* name) {
  DWORD value = 0;
  DWORD size = sizeof(value);
  return ::RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_DWORD, nullptr, &value,
                        &size) == ERROR_SUCCESS
             ? value
             : 0xFFFFFFFF;
}

TEST(ReviewSettingsTest, ValuesLiveInTheUsersSettingsAsDwords) {
  const ScopedRegistryKeyBackup settings(HKEY_CURRENT_USER, kSettingsKey);
  ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
  EXPECT_EQ(IncrementReviewOpenCount(), 1u) << "a missing key and value";
  Set(L"review_open_count", REG_SZ, 9);
  EXPECT_EQ(IncrementReviewOpenCount(), 1u) << "a value of another type";
  Set(L"review_open_count", REG_DWORD, 9);
  EXPECT_FALSE(ShouldShowReview());
  EXPECT_EQ(IncrementReviewOpenCount(), 10u);
  EXPECT_EQ(Get(L"review_open_count"), 10u);
  EXPECT_TRUE(ShouldShowReview());

  MarkReviewShown();
  StampReviewShown(1'800'000'000u);
  EXPECT_FALSE(ShouldShowReview());
  EXPECT_EQ(Get(L"reviews"), 1u);
  EXPECT_EQ(Get(L"reviews_timestamp"), 1'800'000'000u);
}

}  // namespace
