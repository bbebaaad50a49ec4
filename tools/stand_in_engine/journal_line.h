#ifndef TOOLS_STAND_IN_ENGINE_JOURNAL_LINE_H_
#define TOOLS_STAND_IN_ENGINE_JOURNAL_LINE_H_

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

using JournalField = std::pair<std::wstring_view, std::wstring_view>;

// One journal line in UTF-8: the record name, then "key=value" fields, all
// separated by tabs and ended by "\n". Backslash, tab, carriage return and
// newline inside names and values are written as \\ \t \r \n, so a line
// always splits back into the fields it was made of.
std::string FormatJournalLine(std::wstring_view record, std::initializer_list<JournalField> fields);

#endif  // TOOLS_STAND_IN_ENGINE_JOURNAL_LINE_H_
