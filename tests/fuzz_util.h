#ifndef TESTS_FUZZ_UTIL_H_
#define TESTS_FUZZ_UTIL_H_

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

// Fuzz input as Windows text: each two bytes one UTF-16 unit.
inline std::wstring WideFromBytes(std::string_view bytes) {
  std::wstring text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    text.push_back(static_cast<wchar_t>(static_cast<uint8_t>(bytes[i]) |
                                        static_cast<uint8_t>(bytes[i + 1]) << 8));
  return text;
}

// A broken property: libFuzzer keeps the input that led here.
inline void FuzzCheck(bool holds) {
  if (!holds)
    std::abort();
}

#endif  // TESTS_FUZZ_UTIL_H_
