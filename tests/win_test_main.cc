#include <gtest/gtest.h>

#include <string_view>

#include "tests/child_process.h"

int main(int argc, char** argv) {
  if (const std::optional<int> child_result = RunChildRoutineFromCommandLine(argc, argv))
    return *child_result;
  // F12 in a frame under test starts the program as the developer tools'
  // copy, which under Wine has nothing to attach.
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == "/devtools")
      return 1;
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
