#include "host_functions/review_settings.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "tests/scoped_read_only_key.h"
#include "tests/scoped_registry_backup.h"

namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\tabbridge";

DWORD Get(const wchar_t* name) {
  DWORD value = 0, size = sizeof(value);
  ::RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
  return value;
}

TEST(ReviewSettingsTest, ValuesLiveInTheUsersSettingsAsDwords) {
  const ScopedRegistryKeyBackup settings(HKEY_CURRENT_USER, kSettingsKey);
  ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
  EXPECT_EQ(IncrementReviewOpenCount(), 1u) << "a missing key and value";
  for (const DWORD type : {REG_SZ, REG_DWORD}) {
    const DWORD nine = 9;
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"review_open_count", type, &nine, 4);
    EXPECT_EQ(IncrementReviewOpenCount(), type == REG_DWORD ? 10u : 1u) << type;
  }
  EXPECT_TRUE(ShouldShowReview());
  MarkReviewShown();
  StampReviewShown(1'800'000'000u);
  EXPECT_FALSE(ShouldShowReview());
  EXPECT_EQ(Get(L"reviews"), 1u);
  EXPECT_EQ(Get(L"reviews_timestamp"), 1'800'000'000u);
}

// A prompt that could not be marked as shown would come back at every frame
// that closes: with settings it cannot write, the prompt is never due.
TEST(ReviewSettingsTest, SettingsThatCannotBeWrittenNeverBringThePromptUp) {
  const ScopedRegistryKeyBackup settings(HKEY_CURRENT_USER, kSettingsKey);
  ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
  const DWORD ten = 10;
  ::RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"review_open_count", REG_DWORD, &ten, 4);
  const ScopedReadOnlyKey read_only(HKEY_CURRENT_USER, kSettingsKey);
  ASSERT_TRUE(read_only.ok());
  EXPECT_FALSE(ShouldShowReview());
}

}  // namespace
