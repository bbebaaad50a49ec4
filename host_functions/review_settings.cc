#include "host_functions/review_settings.h"

#include <windows.h>

#include "host_functions/review_counters.h"
#include "utils/log_failure.h"
#include "utils/scoped_handle.h"

namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\tabbridge";
constexpr wchar_t kReviewOpenCount[] = L"review_open_count";
constexpr wchar_t kReviews[] = L"reviews";
constexpr wchar_t kReviewsTimestamp[] = L"reviews_timestamp";

unique_hkey OpenSettings() {
  unique_hkey key;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS) {
    key.reset();
  }
  return key;
}

DWORD Read(HKEY key, const wchar_t* name) {
  DWORD value = 0;
  DWORD type = REG_NONE;
  DWORD size = sizeof(value);
  if (!key ||
      ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof(value)) {
    return 0;
  }
  return value;
}

bool Write(HKEY key, const wchar_t* name, DWORD value) {
  return key && ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                 sizeof(value)) == ERROR_SUCCESS;
}

}  // namespace

unsigned long IncrementReviewOpenCount() {
  const unique_hkey key = OpenSettings();
  const DWORD count = Read(key.get(), kReviewOpenCount);
  const DWORD next = NextReviewOpenCount(count);
  if (next == count || !Write(key.get(), kReviewOpenCount, next))
    return count;
  return next;
}

bool ShouldShowReview() {
  const unique_hkey key = OpenSettings();
  return IsReviewDue(Read(key.get(), kReviews), Read(key.get(), kReviewOpenCount));
}

void MarkReviewShown() {
  LOG_IF_FALSE(Write(OpenSettings().get(), kReviews, 1));
}

void StampReviewShown(uint32_t unix_time) {
  LOG_IF_FALSE(Write(OpenSettings().get(), kReviewsTimestamp, unix_time));
}
