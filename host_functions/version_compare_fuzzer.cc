// Version texts of any shape: the comparison is an order (antisymmetric,
// reflexive, transitive), and wide and narrow texts compare alike.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "host_functions/version_compare.h"
#include "tests/fuzz_util.h"

namespace {

int Sign(int value) {
  return (value > 0) - (value < 0);
}

std::wstring Widen(const std::string& text) {
  std::wstring wide;
  for (const unsigned char c : text)
    wide.push_back(c);
  return wide;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string a = in.ConsumeRandomLengthString(64);
  const std::string b = in.ConsumeRandomLengthString(64);
  const std::string c = in.ConsumeRemainingBytesAsString();
  const int ab = Sign(CompareVersions(a, b));
  FuzzCheck(CompareVersions(a, a) == 0);
  FuzzCheck(ab == -Sign(CompareVersions(b, a)));
  FuzzCheck(ab == Sign(CompareVersions(Widen(a), Widen(b))));
  const int bc = Sign(CompareVersions(b, c));
  if (ab == bc)
    FuzzCheck(Sign(CompareVersions(a, c)) == ab);
  return 0;
}
