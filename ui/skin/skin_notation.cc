#include "ui/skin/skin_notation.h"

#include <charconv>

namespace {

constexpr int kReleaseCodeXp = 6;
constexpr int kYaHeiString = 0;
constexpr int kTahomaString = 2;

std::optional<uint32_t> ParseHex(std::string_view text, size_t min_digits, size_t max_digits) {
  if (text.size() < min_digits || text.size() > max_digits)
    return std::nullopt;
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
      return std::nullopt;
  }
  uint32_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value, 16);
  return value;
}

}  // namespace

std::optional<SkinColor> ParseColor(std::string_view text) {
  const std::optional<uint32_t> value = ParseHex(text, 6, 6);
  if (!value)
    return std::nullopt;
  return SkinColor{static_cast<uint8_t>(*value >> 16), static_cast<uint8_t>(*value >> 8),
                   static_cast<uint8_t>(*value)};
}

std::optional<FontCode> ParseFontCode(std::string_view text) {
  const std::optional<uint32_t> value = ParseHex(text, 4, 4);
  if (!value)
    return std::nullopt;
  return FontCode{static_cast<int>(*value >> 8), (*value & 0x04) != 0, (*value & 0x02) != 0,
                  (*value & 0x01) != 0};
}

int FontHeight(const FontCode& code) {
  return -(kDefaultFontPixels + code.size_increase);
}

int FontWeight(const FontCode& code) {
  return code.bold ? 700 : 400;
}

std::optional<uint32_t> ParseTextFlags(std::string_view text) {
  return ParseHex(text, 1, 8);
}

std::optional<SkinCursor> ParseCursor(std::string_view text) {
  if (text == "hand")
    return SkinCursor::kHand;
  if (text == "arrow")
    return SkinCursor::kArrow;
  return std::nullopt;
}

DefaultFontFace ChooseDefaultFontFace(int release_code,
                                      const std::map<int, std::wstring>& strings) {
  const auto it = strings.find(release_code > kReleaseCodeXp ? kYaHeiString : kTahomaString);
  DefaultFontFace font;
  if (it != strings.end())
    font.face = it->second;
  font.cleartype = font.face == L"Microsoft YaHei" || font.face == L"\u5fae\u8f6f\u96c5\u9ed1";
  return font;
}
