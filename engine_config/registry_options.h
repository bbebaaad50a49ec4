#ifndef ENGINE_CONFIG_REGISTRY_OPTIONS_H_
#define ENGINE_CONFIG_REGISTRY_OPTIONS_H_

#include <cstdint>

// Browsing options the engine reads by value name ("Disable Script Debugger",
// "TabProcGrowth", ...), answered from a fixed table whatever key they are
// read from.

// The registry's own codes, kept here so that this file builds without
// <windows.h>.
constexpr long kRegSuccess = 0;       // ERROR_SUCCESS
constexpr long kRegFileNotFound = 2;  // ERROR_FILE_NOT_FOUND
constexpr long kRegMoreData = 234;    // ERROR_MORE_DATA
constexpr uint32_t kRegSz = 1;        // REG_SZ
constexpr uint32_t kRegDword = 4;     // REG_DWORD

struct RegistryOption {
  enum class Kind { kString, kNumber, kAbsent };

  const char* name;
  Kind kind;
  const char* text;  // for kString
  uint32_t number;   // for kNumber
};

// The row for a value name, compared without regard to ASCII case; null for
// names outside the table and for any name with a non-ASCII character, so
// that no other name can pass for an option.
const RegistryOption* FindRegistryOption(const char* name);
const RegistryOption* FindRegistryOption(const wchar_t* name);

// How string answers are encoded: 8-bit characters for the ANSI functions,
// UTF-16LE for the wide ones.
enum class TextWidth { kAnsi, kWide };

struct OptionQuery {
  // In: the caller's buffer, or null for a size query.
  unsigned char* data = nullptr;
  // In: the buffer's size in bytes. Out: the answer's size.
  uint32_t size = 0;
  // Out: the answer's registry type.
  uint32_t type = 0;
};

// Answers a query of `option` the way RegQueryValueEx answers one: the answer
// is copied only into a buffer large enough for it, and a buffer too small
// gives kRegMoreData. An absent option gives kRegFileNotFound and leaves
// `query` as it was.
long AnswerOptionQuery(const RegistryOption& option, TextWidth width, OptionQuery* query);

#endif  // ENGINE_CONFIG_REGISTRY_OPTIONS_H_
