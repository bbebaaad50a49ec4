#ifndef TAB_VIEW_COOKIE_LINES_H_
#define TAB_VIEW_COOKIE_LINES_H_

#include <string>
#include <string_view>
#include <vector>

// The extension hands a tab's cookies over as one URL-escaped text, one
// cookie per line; a line that starts with "#httponly#" holds a cookie that
// scripts must not see.

struct CookieLine {
  std::wstring cookie;  // "name=value; attributes" as the engine takes it
  bool http_only = false;
};

// Decodes %XX escapes. Escaped bytes that form UTF-8 sequences become the
// characters they encode; any other escaped byte becomes the character of the
// same value. Anything that is not a complete escape stays as it is.
std::wstring UnescapeCookieText(std::wstring_view text);

// The cookies of an escaped text, in order. Lines end at "\n" (a "\r" before
// it is dropped); empty lines, and lines that would hand the engine a cut-off
// cookie (an escaped NUL), are skipped.
std::vector<CookieLine> ParseCookieLines(std::wstring_view escaped_text);

#endif  // TAB_VIEW_COOKIE_LINES_H_
