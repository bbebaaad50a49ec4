#ifndef UTILS_STRING_UTIL_H_
#define UTILS_STRING_UTIL_H_

#include <string>
#include <string_view>

// Conversions between UTF-8 and the platform's wide strings: UTF-16 where
// wchar_t is 16 bits (Windows), UTF-32 where it is 32 bits (Linux, for tests).
// Invalid input becomes U+FFFD rather than failing, as the engine's own
// converters do.
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

char AsciiToLower(char c);
wchar_t AsciiToLower(wchar_t c);
std::wstring AsciiToLower(std::wstring_view text);
bool EqualsAsciiIgnoreCase(std::string_view a, std::string_view b);
bool EqualsAsciiIgnoreCase(std::wstring_view a, std::wstring_view b);

#endif  // UTILS_STRING_UTIL_H_
