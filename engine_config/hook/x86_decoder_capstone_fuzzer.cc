// Arbitrary code against Capstone: every disagreement must be one of the
// known Capstone departures from Intel's manual or a family declined on
// purpose. The code is padded to the 15-byte limit as in the sweep, so that
// a cut-off instruction is not read as a shorter one.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine_config/hook/x86_capstone_test_util.h"
#include "tests/fuzz_util.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzCheck(OpenCapstone());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> code(data, data + std::min<size_t>(size, 15));
  code.resize(15, 0x80);
  const std::string disagreement = CompareWithCapstone(code);
  if (!disagreement.empty())
    std::fprintf(stderr, "%s\n", disagreement.c_str());
  FuzzCheck(disagreement.empty());
  return 0;
}
