#include "tools/stand_in_engine/journal_line.h"

#include "utils/string_util.h"

namespace {

void AppendEscaped(std::wstring_view text, std::wstring* out) {
  for (const wchar_t c : text) {
    switch (c) {
      case L'\\':
        out->append(L"\\\\");
        break;
      case L'\t':
        out->append(L"\\t");
        break;
      case L'\r':
        out->append(L"\\r");
        break;
      case L'\n':
        out->append(L"\\n");
        break;
      default:
        out->push_back(c);
    }
  }
}

}  // namespace

std::string FormatJournalLine(std::wstring_view record,
                              std::initializer_list<JournalField> fields) {
  std::wstring line;
  AppendEscaped(record, &line);
  for (const auto& [key, value] : fields) {
    line.push_back(L'\t');
    AppendEscaped(key, &line);
    line.push_back(L'=');
    AppendEscaped(value, &line);
  }
  line.push_back(L'\n');
  return WideToUtf8(line);
}
