#include "host/cmd_line_parser.h"

#include "utils/string_util.h"

CCmdLineParser::CCmdLineParser(bool case_sensitive) : case_sensitive_(case_sensitive) {}

CCmdLineParser::CCmdLineParser(const wchar_t* command_line, bool case_sensitive)
    : case_sensitive_(case_sensitive) {
  Parse(command_line);
}

bool CCmdLineParser::Parse(const wchar_t* command_line) {
  if (command_line == nullptr)
    return false;
  command_line_ = command_line;
  values_.clear();

  const std::wstring_view text = command_line_;
  constexpr auto npos = std::wstring_view::npos;
  size_t cursor = 0;
  while (cursor < text.size()) {
    const size_t marker = text.find_first_of(L"-/", cursor);
    if (marker == npos)
      break;
    const size_t key_start = marker + 1;
    if (key_start == text.size())
      break;
    const size_t separator = text.find_first_of(L" :", key_start);
    if (separator == npos) {
      Store(text.substr(key_start), {});
      break;
    }
    const std::wstring_view key = text.substr(key_start, separator - key_start);
    if (text[separator] == L' ' || separator + 1 == text.size()) {
      Store(key, {});
      cursor = separator + 1;
      continue;
    }
    size_t value_start = separator + 1;
    size_t value_end;
    if (text[value_start] == L'"') {
      ++value_start;
      value_end = text.find(L'"', value_start);
    } else {
      value_end = text.find(L' ', value_start);
    }
    if (value_end == npos) {
      Store(key, text.substr(value_start));
      break;
    }
    Store(key, text.substr(value_start, value_end - value_start));
    // Past the closing quote or the blank.
    cursor = value_end + 1;
  }
  return !values_.empty();
}

bool CCmdLineParser::HasKey(std::wstring_view key) const {
  return values_.find(NormalizeKey(key)) != values_.end();
}

std::optional<std::wstring> CCmdLineParser::GetValue(std::wstring_view key) const {
  const auto it = values_.find(NormalizeKey(key));
  if (it == values_.end())
    return std::nullopt;
  return it->second;
}

std::wstring CCmdLineParser::NormalizeKey(std::wstring_view key) const {
  return case_sensitive_ ? std::wstring(key) : AsciiToLower(key);
}

void CCmdLineParser::Store(std::wstring_view key, std::wstring_view value) {
  if (key.empty())
    return;
  // emplace keeps the value already stored under the key.
  values_.emplace(NormalizeKey(key), value);
}
