#include "tools/stand_in_engine/testing/scoped_journal.h"

#include "tools/stand_in_engine/journal.h"
#include "utils/scoped_handle.h"
#include "utils/string_util.h"

namespace {

std::wstring Unescape(std::wstring_view text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t code = text[i] == L'\\' && i + 1 < text.size() ? text[++i] : 0;
    out.push_back(code == 0      ? text[i]
                  : code == L't' ? L'\t'
                  : code == L'n' ? L'\n'
                  : code == L'r' ? L'\r'
                                 : code);
  }
  return out;
}

std::vector<std::wstring_view> Split(std::wstring_view text, wchar_t separator) {
  std::vector<std::wstring_view> parts;
  for (size_t end; (end = text.find(separator)) != std::wstring_view::npos;
       text.remove_prefix(end + 1)) {
    parts.push_back(text.substr(0, end));
  }
  parts.push_back(text);
  return parts;
}

}  // namespace

std::wstring ScopedJournal::Line::Field(const std::wstring& name) const {
  const auto found = fields.find(name);
  return found == fields.end() ? std::wstring() : found->second;
}

ScopedJournal::ScopedJournal() {
  wchar_t directory[MAX_PATH];
  wchar_t file[MAX_PATH];
  if (::GetTempPathW(MAX_PATH, directory) && ::GetTempFileNameW(directory, L"sij", 0, file))
    path_ = file;
  wchar_t previous[MAX_PATH];
  const DWORD length = ::GetEnvironmentVariableW(kJournalVariable, previous, MAX_PATH);
  if (length > 0 && length < MAX_PATH)
    previous_ = previous;
  ::SetEnvironmentVariableW(kJournalVariable, path_.c_str());
}

ScopedJournal::~ScopedJournal() {
  ::SetEnvironmentVariableW(kJournalVariable, previous_ ? previous_->c_str() : nullptr);
  if (!path_.empty())
    ::DeleteFileW(path_.c_str());
}

std::vector<ScopedJournal::Line> ScopedJournal::Records(std::wstring_view record) const {
  const unique_handle file(::CreateFileW(path_.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string data;
  char buffer[4096];
  DWORD read = 0;
  while (file && ::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0)
    data.append(buffer, read);
  std::vector<Line> lines;
  const std::wstring text = Utf8ToWide(data);
  for (const std::wstring_view text_line : Split(text, L'\n')) {
    const std::vector<std::wstring_view> parts = Split(text_line, L'\t');
    if (text_line.empty() || Unescape(parts[0]) != record)
      continue;
    Line line{std::wstring(record)};
    for (size_t i = 1; i < parts.size(); ++i) {
      const size_t equals = std::min(parts[i].find(L'='), parts[i].size());
      line.fields[Unescape(parts[i].substr(0, equals))] =
          Unescape(parts[i].substr(std::min(equals + 1, parts[i].size())));
    }
    lines.push_back(std::move(line));
  }
  return lines;
}
