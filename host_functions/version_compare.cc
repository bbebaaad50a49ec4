#include "host_functions/version_compare.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>

namespace {

constexpr size_t kParts = 4;

template <typename Char>
bool IsBlank(Char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

template <typename Char>
bool IsDigit(Char c) {
  return c >= '0' && c <= '9';
}

// Reads one part the way "%d" does: blanks, an optional sign, then at least
// one digit. Values beyond the int range saturate.
template <typename Char>
bool ReadPart(std::basic_string_view<Char> text, size_t* pos, int* part) {
  size_t i = *pos;
  while (i < text.size() && IsBlank(text[i]))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size() || !IsDigit(text[i]))
    return false;
  // Accumulated as a negative number, whose range covers INT_MIN.
  int64_t value = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i)
    value = std::max<int64_t>(value * 10 - (text[i] - '0'), int64_t{INT_MIN} - 1);
  if (!negative)
    value = -value;
  *part = static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
  *pos = i;
  return true;
}

template <typename Char>
std::array<int, kParts> ParseVersion(std::basic_string_view<Char> text) {
  std::array<int, kParts> parts = {};
  size_t pos = 0;
  for (size_t n = 0; n < kParts; ++n) {
    if (n > 0) {
      if (pos == text.size() || text[pos] != '.')
        break;
      ++pos;
    }
    if (!ReadPart(text, &pos, &parts[n]))
      break;
  }
  return parts;
}

template <typename Char>
int Compare(std::basic_string_view<Char> first, std::basic_string_view<Char> second) {
  const std::array<int, kParts> a = ParseVersion(first);
  const std::array<int, kParts> b = ParseVersion(second);
  for (size_t n = 0; n < kParts; ++n) {
    if (a[n] != b[n]) {
      // The difference of two ints may not fit in one; keep its sign.
      const int64_t difference = int64_t{a[n]} - b[n];
      return static_cast<int>(std::clamp<int64_t>(difference, INT_MIN, INT_MAX));
    }
  }
  return 0;
}

}  // namespace

int CompareVersions(std::string_view first, std::string_view second) {
  return Compare(first, second);
}

int CompareVersions(std::wstring_view first, std::wstring_view second) {
  return Compare(first, second);
}
