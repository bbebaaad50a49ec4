#ifndef UI_BASE_SEH_GUARD_H_
#define UI_BASE_SEH_GUARD_H_

#include <utility>

// Runs `body(context)` inside a structured-exception frame that takes every
// exception (access violations, illegal instructions, raised exceptions).
// Returns false when one ended the body. The stack between here and the fault
// is abandoned without running destructors, so a body should be a plain call
// into code that has no cleanup of ours pending.
[[nodiscard]] bool RunWithExceptionGuard(void (*body)(void* context), void* context);

template <typename Body>
[[nodiscard]] bool RunWithExceptionGuard(Body&& body) {
  return RunWithExceptionGuard([](void* context) { (*static_cast<Body*>(context))(); },
                               const_cast<void*>(static_cast<const void*>(&body)));
}

#endif  // UI_BASE_SEH_GUARD_H_
