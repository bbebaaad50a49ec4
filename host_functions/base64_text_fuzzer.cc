// Any text: taken exactly when it has the shape of standard base64 that
// decodes to at least one byte.

#include <cstdint>
#include <cstring>
#include <string_view>

#include "host_functions/base64_text.h"
#include "tests/fuzz_util.h"

namespace {

bool HasBase64Shape(std::string_view text) {
  if (text.empty() || text.size() % 4 != 0)
    return false;
  size_t padding = 0;
  while (padding < 2 && text[text.size() - 1 - padding] == '=')
    ++padding;
  constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  for (const char c : text.substr(0, text.size() - padding)) {
    if (c == '\0' || !std::strchr(kAlphabet, c))
      return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  FuzzCheck(IsBase64Text(text) == HasBase64Shape(text));
  return 0;
}
