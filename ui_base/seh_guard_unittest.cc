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

TEST(SehGuardTest, BodyThatReturnsRunsOnceAndLeavesTheChainAsItWas) {
  EXCEPTION_REGISTRATION_RECORD* const before = ExceptionChain();
  int runs = 0;
  EXPECT_TRUE(RunWithExceptionGuard([&] { ++runs; }));
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(ExceptionChain(), before);
}

TEST(SehGuardTest, AccessViolationEndsTheBodyAndIsTaken) {
  EXCEPTION_REGISTRATION_RECORD* const before = ExceptionChain();
  bool after_fault = false;
  EXPECT_FALSE(RunWithExceptionGuard([&] {
    WriteToLowMemory();
    after_fault = true;
  }));
  EXPECT_FALSE(after_fault);
  EXPECT_EQ(ExceptionChain(), before);
}

TEST(SehGuardTest, RaisedExceptionsOfAnyCodeAreTaken) {
  const DWORD codes[] = {0xE0000001u, EXCEPTION_ILLEGAL_INSTRUCTION, EXCEPTION_INT_DIVIDE_BY_ZERO};
  for (const DWORD code : codes) {
    EXPECT_FALSE(RunWithExceptionGuard([code] { ::RaiseException(code, 0, 0, nullptr); }))
        << std::hex << code;
  }
  // Even one the raiser asks not to continue from.
  EXPECT_FALSE(RunWithExceptionGuard(
      [] { ::RaiseException(0xE0000002u, EXCEPTION_NONCONTINUABLE, 0, nullptr); }));
}

TEST(SehGuardTest, InnerGuardTakesTheFaultAndTheOuterBodyGoesOn) {
  EXCEPTION_REGISTRATION_RECORD* const before = ExceptionChain();
  bool inner_result = true;
  bool outer_finished = false;
  EXPECT_TRUE(RunWithExceptionGuard([&] {
    inner_result = RunWithExceptionGuard(&WriteToLowMemory);
    outer_finished = true;
  }));
  EXPECT_FALSE(inner_result);
  EXPECT_TRUE(outer_finished);
  EXPECT_EQ(ExceptionChain(), before);
}

TEST(SehGuardTest, FaultBelowAnInnerGuardFrameUnwindsItToo) {
  EXCEPTION_REGISTRATION_RECORD* const before = ExceptionChain();
  // The fault happens after the inner guard's body returned, in the outer one.
  EXPECT_FALSE(RunWithExceptionGuard([] {
    (void)RunWithExceptionGuard([] {});
    WriteToLowMemory();
  }));
  EXPECT_EQ(ExceptionChain(), before);
}

TEST(SehGuardTest, ManyFaultsInARowLeaveTheThreadUsable) {
  EXCEPTION_REGISTRATION_RECORD* const before = ExceptionChain();
  int taken = 0;
  for (int i = 0; i < 200; ++i)
    taken += RunWithExceptionGuard(&WriteToLowMemory) ? 0 : 1;
  EXPECT_EQ(taken, 200);
  EXPECT_EQ(ExceptionChain(), before);
}

}  // namespace
