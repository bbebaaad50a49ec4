#ifndef IE_CONTROL_INTELLIFORMS_POPUP_RULE_H_
#define IE_CONTROL_INTELLIFORMS_POPUP_RULE_H_

#include <cstdint>
#include <optional>

// When a page closes its window by script, the engine's form suggestion
// window (class "IntelliFormClass", name "IntelliFormProxy") must not be
// created for a while: it would outlive the page.

// The guard lasts this long after a script close, both ends included.
constexpr uint32_t kIntelliFormsGuardMs = 800;

// Milliseconds from the last script close at `close_tick` to `now` (tick
// counts that wrap), when that is within the guard; nothing when it is not,
// or when no script close has happened yet (`close_tick` 0).
std::optional<uint32_t> ElapsedWithinCloseGuard(uint32_t close_tick, uint32_t now);

// True when both names are given as strings (not atoms) and name the
// suggestion window, in any letter case.
bool IsIntelliFormsPopup(const wchar_t* class_name, const wchar_t* window_name);

#endif  // IE_CONTROL_INTELLIFORMS_POPUP_RULE_H_
