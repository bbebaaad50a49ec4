#include "tab_view/cookie_lines.h"

#include <cstdint>
#include <string>

namespace {

constexpr std::wstring_view kHttpOnlyPrefix = L"#httponly#";

int HexDigitValue(wchar_t c) {
  if (c >= L'0' && c <= L'9')
    return c - L'0';
  if (c >= L'a' && c <= L'f')
    return c - L'a' + 10;
  if (c >= L'A' && c <= L'F')
    return c - L'A' + 10;
  return -1;
}

// The byte of a complete "%XX" at `pos`, or -1.
int EscapedByteAt(std::wstring_view text, size_t pos) {
  if (pos + 2 >= text.size() || text[pos] != L'%')
    return -1;
  const int high = HexDigitValue(text[pos + 1]);
  const int low = HexDigitValue(text[pos + 2]);
  return high < 0 || low < 0 ? -1 : high * 16 + low;
}

void AppendCodePoint(uint32_t code_point, std::wstring* out) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (code_point >= 0x10000) {
      code_point -= 0x10000;
      out->push_back(static_cast<wchar_t>(0xD800 + (code_point >> 10)));
      out->push_back(static_cast<wchar_t>(0xDC00 + (code_point & 0x3FF)));
      return;
    }
  }
  out->push_back(static_cast<wchar_t>(code_point));
}

// Length of the well-formed UTF-8 sequence at the start of `bytes` (no
// overlong forms, surrogates or values above U+10FFFF), 0 when there is none.
size_t Utf8SequenceLength(std::string_view bytes, uint32_t* code_point) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(bytes[i]); };
  const uint8_t lead = byte(0);
  size_t length = 0;
  uint8_t second_min = 0x80;
  uint8_t second_max = 0xBF;
  if (lead < 0x80) {
    *code_point = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    *code_point = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    *code_point = lead & 0x0F;
    if (lead == 0xE0)
      second_min = 0xA0;
    else if (lead == 0xED)
      second_max = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    *code_point = lead & 0x07;
    if (lead == 0xF0)
      second_min = 0x90;
    else if (lead == 0xF4)
      second_max = 0x8F;
  } else {
    return 0;
  }
  if (bytes.size() < length || byte(1) < second_min || byte(1) > second_max)
    return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80)
      return 0;
    *code_point = (*code_point << 6) | (byte(i) & 0x3F);
  }
  return length;
}

void AppendEscapedBytes(std::string_view bytes, std::wstring* out) {
  while (!bytes.empty()) {
    uint32_t code_point = 0;
    size_t length = Utf8SequenceLength(bytes, &code_point);
    if (length == 0) {
      // Not UTF-8: the byte stands for itself, as a plain unescape reads it.
      code_point = static_cast<uint8_t>(bytes[0]);
      length = 1;
    }
    AppendCodePoint(code_point, out);
    bytes.remove_prefix(length);
  }
}

}  // namespace

std::wstring UnescapeCookieText(std::wstring_view text) {
  std::wstring out;
  out.reserve(text.size());
  std::string bytes;
  for (size_t pos = 0; pos < text.size();) {
    bytes.clear();
    for (int byte; (byte = EscapedByteAt(text, pos)) >= 0; pos += 3)
      bytes.push_back(static_cast<char>(byte));
    if (bytes.empty())
      out.push_back(text[pos++]);
    else
      AppendEscapedBytes(bytes, &out);
  }
  return out;
}

std::vector<CookieLine> ParseCookieLines(std::wstring_view escaped_text) {
  const std::wstring text = UnescapeCookieText(escaped_text);
  std::vector<CookieLine> cookies;
  std::wstring_view rest = text;
  while (!rest.empty()) {
    const size_t end = rest.find(L'\n');
    std::wstring_view line = rest.substr(0, end);
    rest = end == std::wstring_view::npos ? std::wstring_view() : rest.substr(end + 1);
    if (!line.empty() && line.back() == L'\r')
      line.remove_suffix(1);
    // The engine reads a cookie up to its first NUL: it would store another.
    if (line.find(L'\0') != std::wstring_view::npos)
      continue;
    CookieLine cookie;
    if (line.substr(0, kHttpOnlyPrefix.size()) == kHttpOnlyPrefix) {
      line.remove_prefix(kHttpOnlyPrefix.size());
      cookie.http_only = true;
    }
    if (line.empty())
      continue;
    cookie.cookie.assign(line);
    cookies.push_back(std::move(cookie));
  }
  return cookies;
}
