#include "tools/stand_in_engine/testing/scoped_journal.h"

#include "tools/stand_in_engine/journal.h"
#include "utils/scoped_handle.h"
#include "utils/string_util.h"

namespace {

std::wstring Unescape(std::wstring_view text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != L'\\' || i + 1 == text.size()) {
      out.push_back(text[i]);
      continue;
    }
    const wchar_t code = text[++i];
    out.push_back(code == L't' ? L'\t' : code == L'n' ? L'\n' : code == L'r' ? L'\r' : code);
  }
  return out;
}

ScopedJournal::Line ParseLine(std::wstring_view text) {
  ScopedJournal::Line line;
  bool first = true;
  while (!text.empty() || first) {
    const size_t tab = std::min(text.find(L'\t'), text.size());
    const std::wstring_view part = text.substr(0, tab);
    if (first) {
      line.record = Unescape(part);
      first = false;
    } else {
      const size_t equals = std::min(part.find(L'='), part.size());
      line.fields[Unescape(part.substr(0, equals))] =
          Unescape(part.substr(std::min(equals + 1, part.size())));
    }
    text.remove_prefix(std::min(tab + 1, text.size()));
  }
  return line;
}

}  // namespace

std::wstring ScopedJournal::Line::Field(const std::wstring& name) const {
  const auto found = fields.find(name);
  return found == fields.end() ? std::wstring() : found->second;
}

ScopedJournal::ScopedJournal() {
  wchar_t directory[MAX_PATH];
  wchar_t file[MAX_PATH];
  if (::GetTempPathW(MAX_PATH, directory) && ::GetTempFileNameW(directory, L"sij", 0, file)) {
    path_ = file;
  }
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

std::vector<ScopedJournal::Line> ScopedJournal::Read() const {
  std::vector<Line> lines;
  unique_handle file(::CreateFileW(path_.c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    return lines;
  std::string data;
  char buffer[4096];
  DWORD read = 0;
  while (::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0)
    data.append(buffer, read);
  size_t pos = 0;
  for (size_t end; (end = data.find('\n', pos)) != std::string::npos; pos = end + 1)
    lines.push_back(ParseLine(Utf8ToWide(std::string_view(data).substr(pos, end - pos))));
  return lines;
}

std::vector<ScopedJournal::Line> ScopedJournal::Records(std::wstring_view record) const {
  std::vector<Line> matching;
  for (Line& line : Read()) {
    if (line.record == record)
      matching.push_back(std::move(line));
  }
  return matching;
}
