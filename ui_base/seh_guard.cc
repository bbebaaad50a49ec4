#include "ui_base/seh_guard.h"

#include <windows.h>

#if !defined(__i386__)
#error "The guard frame format is the one of 32-bit x86 Windows."
#endif

// gcc has no __try/__except for 32-bit Windows, so the guard registers its
// own frame in the thread's exception chain (fs:[0]) the way the compiler of
// the platform does, and resumes at the guard with gcc's non-local jump.

namespace {

struct GuardFrame {
  EXCEPTION_REGISTRATION_RECORD record;  // first: the system hands us its address
  void* resume[5];                       // __builtin_setjmp buffer
};

EXCEPTION_DISPOSITION NTAPI TakeException(EXCEPTION_RECORD* exception,
                                          void* frame,
                                          CONTEXT*,
                                          void*) {
  if (exception->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
    return ExceptionContinueSearch;
  // Lets the frames above ours clean up and leaves ours on top of the chain.
  ::RtlUnwind(frame, nullptr, exception, nullptr);
  __builtin_longjmp(static_cast<GuardFrame*>(frame)->resume, 1);
}

NT_TIB* ThreadInformation() {
  return reinterpret_cast<NT_TIB*>(::NtCurrentTeb());
}

}  // namespace

bool RunWithExceptionGuard(void (*body)(void* context), void* context) {
  GuardFrame frame = {};
  frame.record.Next = ThreadInformation()->ExceptionList;
  frame.record.Handler = &TakeException;
  if (__builtin_setjmp(frame.resume)) {
    ThreadInformation()->ExceptionList = frame.record.Next;
    return false;
  }
  ThreadInformation()->ExceptionList = &frame.record;
  body(context);
  ThreadInformation()->ExceptionList = frame.record.Next;
  return true;
}
