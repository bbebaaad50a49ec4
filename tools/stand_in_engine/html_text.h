#ifndef TOOLS_STAND_IN_ENGINE_HTML_TEXT_H_
#define TOOLS_STAND_IN_ENGINE_HTML_TEXT_H_

#include <string>
#include <string_view>

// Appends one Unicode code point (a surrogate pair where wchar_t is 16 bits).
// Code points no text may hold (0, surrogates, above U+10FFFF) become U+FFFD.
void AppendCodePoint(char32_t code_point, std::wstring* out);

// Replaces "&amp;", "&lt;", "&gt;", "&quot;", "&apos;", "&nbsp;" and numeric
// references ("&#65;", "&#x41;"); anything else stays as written.
std::wstring DecodeCharacterReferences(std::wstring_view text);

// Folds runs of HTML white space into one space and trims both ends, as a
// document's title is shown.
std::wstring CollapseWhitespace(std::wstring_view text);

bool IsHtmlWhitespace(wchar_t c);

#endif  // TOOLS_STAND_IN_ENGINE_HTML_TEXT_H_
