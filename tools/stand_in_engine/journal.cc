#include "tools/stand_in_engine/journal.h"

#include <cwchar>

#include "utils/scoped_handle.h"

void Journal(std::wstring_view record, std::initializer_list<JournalField> fields) {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetEnvironmentVariableW(kJournalVariable, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return;
  // Each line is one append, so the processes and threads that share the
  // file never interleave within a line.
  unique_handle file(::CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    return;
  const std::string line = FormatJournalLine(record, fields);
  DWORD written = 0;
  ::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

std::wstring HexCode(DWORD code) {
  wchar_t text[11];
  std::swprintf(text, 11, L"0x%08lX", static_cast<unsigned long>(code));
  return text;
}
