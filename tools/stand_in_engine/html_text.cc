#include "tools/stand_in_engine/html_text.h"

#include <array>
#include <optional>
#include <utility>

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kMaxCodePoint = 0x10FFFF;

constexpr std::array<std::pair<std::wstring_view, wchar_t>, 6> kNamedReferences = {{
    {L"amp", L'&'},
    {L"lt", L'<'},
    {L"gt", L'>'},
    {L"quot", L'"'},
    {L"apos", L'\''},
    {L"nbsp", static_cast<wchar_t>(0xA0)},
}};

int DigitValue(wchar_t c, int base) {
  if (c >= L'0' && c <= L'9')
    return c - L'0';
  if (base == 16 && c >= L'a' && c <= L'f')
    return c - L'a' + 10;
  if (base == 16 && c >= L'A' && c <= L'F')
    return c - L'A' + 10;
  return -1;
}

// Decodes the reference that starts at text[amp] into `out`; returns the
// position after it, or nothing when no reference starts there.
std::optional<size_t> DecodeNumericReference(std::wstring_view text,
                                             size_t amp,
                                             std::wstring* out) {
  size_t pos = amp + 2;  // after "&#"
  int base = 10;
  if (pos < text.size() && (text[pos] == L'x' || text[pos] == L'X')) {
    base = 16;
    ++pos;
  }
  const size_t digits_start = pos;
  char32_t value = 0;
  for (int digit; pos < text.size() && (digit = DigitValue(text[pos], base)) >= 0; ++pos) {
    // Saturates, so an overlong number stays out of range.
    value = value > kMaxCodePoint ? value : value * base + digit;
  }
  if (pos == digits_start || pos >= text.size() || text[pos] != L';')
    return std::nullopt;
  AppendCodePoint(value, out);
  return pos + 1;
}

std::optional<size_t> DecodeNamedReference(std::wstring_view text, size_t amp, std::wstring* out) {
  for (const auto& [entity, character] : kNamedReferences) {
    const size_t end = amp + 1 + entity.size();
    if (text.substr(amp + 1, entity.size()) == entity && end < text.size() && text[end] == L';') {
      out->push_back(character);
      return end + 1;
    }
  }
  return std::nullopt;
}

}  // namespace

void AppendCodePoint(char32_t code_point, std::wstring* out) {
  if (code_point == 0 || code_point > kMaxCodePoint ||
      (code_point >= 0xD800 && code_point <= 0xDFFF)) {
    code_point = kReplacement;
  }
  if constexpr (sizeof(wchar_t) == 2) {
    if (code_point > 0xFFFF) {
      code_point -= 0x10000;
      out->push_back(static_cast<wchar_t>(0xD800 + (code_point >> 10)));
      out->push_back(static_cast<wchar_t>(0xDC00 + (code_point & 0x3FF)));
      return;
    }
  }
  out->push_back(static_cast<wchar_t>(code_point));
}

std::wstring DecodeCharacterReferences(std::wstring_view text) {
  std::wstring out;
  out.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t amp = text.find(L'&', pos);
    if (amp == std::wstring_view::npos) {
      out.append(text.substr(pos));
      break;
    }
    out.append(text.substr(pos, amp - pos));
    const bool numeric = amp + 1 < text.size() && text[amp + 1] == L'#';
    const std::optional<size_t> next =
        numeric ? DecodeNumericReference(text, amp, &out) : DecodeNamedReference(text, amp, &out);
    if (next) {
      pos = *next;
    } else {
      out.push_back(L'&');
      pos = amp + 1;
    }
  }
  return out;
}

bool IsHtmlWhitespace(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\f';
}

std::wstring CollapseWhitespace(std::wstring_view text) {
  std::wstring out;
  bool pending_space = false;
  for (const wchar_t c : text) {
    if (IsHtmlWhitespace(c)) {
      pending_space = !out.empty();
      continue;
    }
    if (pending_space)
      out.push_back(L' ');
    pending_space = false;
    out.push_back(c);
  }
  return out;
}
