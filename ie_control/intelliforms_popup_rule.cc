#include "ie_control/intelliforms_popup_rule.h"

#include <cstdint>

#include "utils/string_util.h"

namespace {

// Window functions take atoms in the low 64 KiB of pointer values.
bool IsString(const wchar_t* name) {
  return reinterpret_cast<uintptr_t>(name) >= 0x10000;
}

}  // namespace

std::optional<uint32_t> ElapsedWithinCloseGuard(uint32_t close_tick, uint32_t now) {
  if (close_tick == 0)
    return std::nullopt;
  const uint32_t elapsed = now - close_tick;
  if (elapsed > kIntelliFormsGuardMs)
    return std::nullopt;
  return elapsed;
}

bool IsIntelliFormsPopup(const wchar_t* class_name, const wchar_t* window_name) {
  return IsString(class_name) && IsString(window_name) &&
         EqualsAsciiIgnoreCase(class_name, L"IntelliFormClass") &&
         EqualsAsciiIgnoreCase(window_name, L"IntelliFormProxy");
}
