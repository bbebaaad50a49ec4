// Any manifest text is read without harm, and the manifest printed for any
// UTF-8 path gives that path back.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <optional>
#include <string>

#include "host_functions/manifest.h"
#include "tests/fuzz_util.h"
#include "utils/string_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  (void)ManifestExePath(in.ConsumeRandomLengthString(4096));

  std::wstring wide = WideFromBytes(in.ConsumeRemainingBytesAsString());
  for (wchar_t& c : wide) {
    if (c == 0 || (c >= 0xD800 && c < 0xE000))
      c = L'?';
  }
  const std::string path = WideToUtf8(wide);
  const std::optional<std::string> manifest = BuildManifest(path);
  FuzzCheck(manifest && ManifestExePath(*manifest) == path);
  return 0;
}
