#include "tests/child_process.h"

#include <gtest/gtest.h>

namespace {

// Never true, but the compiler cannot know: the recursion stays a recursion.
volatile bool g_bottom = false;

int Deeper(int depth) {
  volatile char frame[512];
  frame[0] = static_cast<char>(depth);
  return g_bottom ? 0 : Deeper(depth + 1) + frame[0];
}

TB_CHILD_ROUTINE(ReturnSeven) {
  return 7;
}

TB_CHILD_ROUTINE(OverflowTheStack) {
  return Deeper(0);
}

TEST(ChildProcessTest, OnlyARoutineThatEndsGivesAResult) {
  EXPECT_EQ(RunChild(CurrentTestProgram(), "ReturnSeven"), 7u);
  EXPECT_EQ(RunChild(CurrentTestProgram(), "NoSuchRoutine"),
            static_cast<DWORD>(kUnknownChildRoutine));
  EXPECT_EQ(RunChild(CurrentTestProgram(), "OverflowTheStack"), std::nullopt);
}

}  // namespace
