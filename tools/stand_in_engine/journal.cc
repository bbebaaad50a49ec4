#include "tools/stand_in_engine/journal.h"

#include <cwchar>

#include "utils/scoped_handle.h"
#include "utils/string_util.h"

namespace {

void AppendEscaped(std::wstring_view text, std::wstring* out) {
  for (const wchar_t c : text) {
    const wchar_t* escape = c == L'\\'   ? L"\\\\"
                            : c == L'\t' ? L"\\t"
                            : c == L'\r' ? L"\\r"
                            : c == L'\n' ? L"\\n"
                                         : nullptr;
    if (escape)
      out->append(escape);
    else
      out->push_back(c);
  }
}

}  // namespace

void Journal(std::wstring_view record, std::initializer_list<JournalField> fields) {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetEnvironmentVariableW(kJournalVariable, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return;
  std::wstring line;
  AppendEscaped(record, &line);
  for (const auto& [key, value] : fields) {
    line.push_back(L'\t');
    AppendEscaped(key, &line);
    line.push_back(L'=');
    AppendEscaped(value, &line);
  }
  line.push_back(L'\n');
  // One append per line: processes and threads sharing the file never
  // interleave within a line.
  unique_handle file(::CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  const std::string utf8 = WideToUtf8(line);
  DWORD written = 0;
  if (file)
    ::WriteFile(file.get(), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

std::wstring HexCode(DWORD code) {
  wchar_t text[11];
  std::swprintf(text, 11, L"0x%08lX", static_cast<unsigned long>(code));
  return text;
}
