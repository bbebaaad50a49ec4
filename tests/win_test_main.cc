#include <gtest/gtest.h>

#include "tests/child_process.h"

int main(int argc, char** argv) {
  if (const std::optional<int> child_result = RunChildRoutineFromCommandLine(argc, argv))
    return *child_result;
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
