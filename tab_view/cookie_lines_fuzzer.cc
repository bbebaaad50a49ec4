// The extension's escaped cookie text: no cookie handed on is empty or holds
// a line break or NUL, and text escaped byte by byte from UTF-8 comes back
// as it was.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "tab_view/cookie_lines.h"
#include "tests/fuzz_util.h"
#include "utils/string_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const std::wstring escaped = WideFromBytes(in.ConsumeRandomLengthString(4096));
  for (const CookieLine& line : ParseCookieLines(escaped)) {
    FuzzCheck(!line.cookie.empty());
    FuzzCheck(line.cookie.find_first_of(std::wstring(L"\n\0", 2)) == std::wstring::npos);
  }
  FuzzCheck(UnescapeCookieText(escaped).size() <= escaped.size());

  std::wstring plain = WideFromBytes(in.ConsumeRemainingBytesAsString());
  for (wchar_t& c : plain) {
    if (c >= 0xD800 && c < 0xE000)
      c = L'?';  // a lone surrogate has no UTF-8 form
  }
  std::wstring all_escaped;
  for (const unsigned char byte : WideToUtf8(plain)) {
    wchar_t escape[4];
    std::swprintf(escape, 4, L"%%%02X", byte);
    all_escaped += escape;
  }
  FuzzCheck(UnescapeCookieText(all_escaped) == plain);
  return 0;
}
