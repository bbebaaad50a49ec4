#include "tab_view/review_counter.h"

#include <windows.h>

#include "utils/scoped_handle.h"

namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\tabbridge";
constexpr wchar_t kReviewOpenCount[] = L"review_open_count";

}  // namespace

unsigned long IncrementReviewOpenCount() {
  unique_hkey key;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS) {
    return 0;
  }
  DWORD count = 0;
  DWORD type = REG_NONE;
  DWORD size = sizeof(count);
  if (::RegQueryValueExW(key.get(), kReviewOpenCount, nullptr, &type,
                         reinterpret_cast<BYTE*>(&count), &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof(count)) {
    count = 0;
  }
  if (count >= kReviewOpenCountLimit)
    return count;
  const DWORD next = count + 1;
  if (::RegSetValueExW(key.get(), kReviewOpenCount, 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&next), sizeof(next)) != ERROR_SUCCESS) {
    return count;
  }
  return next;
}
