// Arbitrary command lines: a key is found exactly when it has a value, case
// does not matter unless asked to, and a switch in front keeps its value
// whatever follows.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "host/cmd_line_parser.h"
#include "tests/fuzz_util.h"
#include "utils/string_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const bool case_sensitive = in.ConsumeBool();
  const std::wstring key = WideFromBytes(in.ConsumeRandomLengthString(32));
  const std::wstring line = WideFromBytes(in.ConsumeRemainingBytesAsString());

  CCmdLineParser parser(case_sensitive);
  const bool parsed = parser.Parse(line.c_str());
  const bool has = parser.HasKey(key);
  FuzzCheck(has == parser.GetValue(key).has_value());
  FuzzCheck(!has || parsed);
  if (!case_sensitive)
    FuzzCheck(has == parser.HasKey(AsciiToLower(key)));

  CCmdLineParser framed(case_sensitive);
  FuzzCheck(framed.Parse((L"/tbkey:\"v 1\" " + line).c_str()));
  FuzzCheck(framed.GetValue(L"tbkey") == L"v 1");
  return 0;
}
