#include "tab_view/review_counter.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "tests/scoped_registry_backup.h"

namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\tabbridge";
constexpr wchar_t kCount[] = L"review_open_count";

TEST(ReviewCounterTest, CountsUpToTenInTheUsersSettings) {
  const ScopedRegistryKeyBackup settings(HKEY_CURRENT_USER, kSettingsKey);
  const struct {
    DWORD type;  // REG_NONE: no value
    DWORD stored;
    DWORD count;
  } cases[] = {{REG_NONE, 0, 1},
               {REG_DWORD, 9, 10},
               {REG_DWORD, 10, 10},
               {REG_DWORD, 25, 25},
               {REG_SZ, 7, 1}};  // a value of another type starts again
  for (const auto& c : cases) {
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, kCount);
    if (c.type != REG_NONE) {
      ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, kCount, c.type, &c.stored,
                                  sizeof(c.stored)),
                ERROR_SUCCESS);
    }
    EXPECT_EQ(IncrementReviewOpenCount(), c.count) << c.type << " " << c.stored;
  }
  EXPECT_EQ(IncrementReviewOpenCount(), 2u) << "the count is stored";
}

}  // namespace
