#include "ie_control/ie_test_util.h"

std::vector<std::wstring> RecordingNotify::Matching(const std::wstring& prefix) const {
  std::vector<std::wstring> matching;
  for (const std::wstring& line : lines) {
    if (line.starts_with(prefix))
      matching.push_back(line);
  }
  return matching;
}

void RecordingNotify::Add(const std::vector<std::wstring>& words) {
  std::wstring line;
  for (const std::wstring& word : words)
    line += (line.empty() ? L"" : L" ") + word;
  lines.push_back(line);
}
