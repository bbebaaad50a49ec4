#include "ui_base/seh_guard.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

EXCEPTION_REGISTRATION_RECORD* ExceptionChain() {
  return reinterpret_cast<NT_TIB*>(::NtCurrentTeb())->ExceptionList;
}

void WriteToLowMemory() {
  volatile UINT_PTR address = 0x10;
  *reinterpret_cast<volatile int*>(address) = 1;
}

TEST(SehGuardTest, FaultsOfAnyKindEndTheBodyAndLeaveTheChainAsItWas) {
  EXCEPTION_REGISTRATION_RECORD* const before = ExceptionChain();
  int runs = 0;
  EXPECT_TRUE(RunWithExceptionGuard([&] { ++runs; }));
  EXPECT_EQ(runs, 1);
  EXPECT_FALSE(RunWithExceptionGuard([&] {
    WriteToLowMemory();
    ++runs;
  }));
  EXPECT_EQ(runs, 1);
  for (const DWORD flags : {0u, static_cast<unsigned>(EXCEPTION_NONCONTINUABLE)})
    EXPECT_FALSE(
        RunWithExceptionGuard([flags] { ::RaiseException(0xE0000001u, flags, 0, nullptr); }));
  // Guards nest; a fault after an inner guard returned unwinds the outer one.
  bool inner_result = true;
  EXPECT_TRUE(
      RunWithExceptionGuard([&] { inner_result = RunWithExceptionGuard(&WriteToLowMemory); }));
  EXPECT_FALSE(inner_result);
  EXPECT_FALSE(RunWithExceptionGuard([] {
    (void)RunWithExceptionGuard([] {});
    WriteToLowMemory();
  }));
  EXPECT_EQ(ExceptionChain(), before);
}

}  // namespace
