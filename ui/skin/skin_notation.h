#ifndef UI_SKIN_SKIN_NOTATION_H_
#define UI_SKIN_SKIN_NOTATION_H_

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

// The small notations of skin and style documents.

struct SkinColor {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  bool operator==(const SkinColor&) const = default;
};

// Six hexadecimal digits, RRGGBB, either case.
std::optional<SkinColor> ParseColor(std::string_view text);

// Four hexadecimal digits: the high byte makes the font that many pixels
// larger than the default one, the low byte holds 0x04 bold, 0x02 underline,
// 0x01 italic.
struct FontCode {
  int size_increase = 0;
  bool bold = false;
  bool underline = false;
  bool italic = false;
  bool operator==(const FontCode&) const = default;
};

std::optional<FontCode> ParseFontCode(std::string_view text);

inline constexpr int kDefaultFontPixels = 13;

// A LOGFONT height: negative, so it is the height of the characters.
int FontHeight(const FontCode& code);
int FontWeight(const FontCode& code);

// DrawText format flags written in hexadecimal ("25").
std::optional<uint32_t> ParseTextFlags(std::string_view text);

enum class SkinCursor { kArrow, kHand };
std::optional<SkinCursor> ParseCursor(std::string_view text);

struct DefaultFontFace {
  std::wstring face;  // empty: keep the face of the system's GUI font
  bool cleartype = false;
};

// Microsoft YaHei (string 0) from Vista on, Tahoma (string 2) before;
// `strings` are the skin's font names by id.
DefaultFontFace ChooseDefaultFontFace(int release_code, const std::map<int, std::wstring>& strings);

#endif  // UI_SKIN_SKIN_NOTATION_H_
