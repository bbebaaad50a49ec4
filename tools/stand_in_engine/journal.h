#ifndef TOOLS_STAND_IN_ENGINE_JOURNAL_H_
#define TOOLS_STAND_IN_ENGINE_JOURNAL_H_

#include <windows.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

// Names the file the engine appends its journal to (README.md lists the
// records); unset, nothing is written.
inline constexpr wchar_t kJournalVariable[] = L"STAND_IN_ENGINE_JOURNAL";

using JournalField = std::pair<std::wstring_view, std::wstring_view>;

// Appends one UTF-8 line: the record, then tab-separated key=value fields,
// with backslash, tab, CR and LF inside them written \\ \t \r \n.
void Journal(std::wstring_view record, std::initializer_list<JournalField> fields = {});

// "0x800C0005": HRESULTs and flags as the journal writes them.
std::wstring HexCode(DWORD code);

#endif  // TOOLS_STAND_IN_ENGINE_JOURNAL_H_
