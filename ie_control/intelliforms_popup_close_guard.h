#ifndef IE_CONTROL_INTELLIFORMS_POPUP_CLOSE_GUARD_H_
#define IE_CONTROL_INTELLIFORMS_POPUP_CLOSE_GUARD_H_

// Keeps the engine's form suggestion window from being created in the
// 800 ms after a page closed its window by script (see
// intelliforms_popup_rule.h), by hooking CreateWindowExW. Only creations
// asked for by the engine's frame module, "ieframe.dll", are refused.

// Installs the hook, once per process; false when it is already installed or
// cannot be made.
[[nodiscard]] bool InstallIntelliFormsGuard();

// Notes that a page has just closed its window by script.
void MarkPopupClose();

#endif  // IE_CONTROL_INTELLIFORMS_POPUP_CLOSE_GUARD_H_
