#include "ie_control/ie_test_util.h"

#include <algorithm>
#include <iterator>

namespace {

std::wstring Text(const wchar_t* text) {
  return text ? text : L"(null)";
}

}  // namespace

void RecordingNotify::NotifyNavigateComplete(int control_id, const wchar_t* url) {
  lines.push_back(L"NavigateComplete " + std::to_wstring(control_id) + L" " + Text(url));
}

void RecordingNotify::NotifyNavigateError(int control_id, const wchar_t* url) {
  lines.push_back(L"NavigateError " + std::to_wstring(control_id) + L" " + Text(url));
}

void RecordingNotify::NotifyDocumentComplete(int control_id,
                                             const wchar_t* url,
                                             const wchar_t* title) {
  lines.push_back(L"DocumentComplete " + std::to_wstring(control_id) + L" " + Text(url) + L" [" +
                  Text(title) + L"]");
}

void RecordingNotify::NotifyBeforeNavigate(int control_id, bool top_frame, const wchar_t* url) {
  lines.push_back(L"BeforeNavigate " + std::to_wstring(control_id) +
                  (top_frame ? L" top " : L" sub ") + Text(url));
}

void RecordingNotify::NotifyTitleChange(const wchar_t* title) {
  lines.push_back(L"TitleChange " + Text(title));
}

void RecordingNotify::NotifyCloseTab() {
  lines.push_back(L"CloseTab");
}

std::vector<std::wstring> RecordingNotify::Matching(const std::wstring& prefix) const {
  std::vector<std::wstring> matching;
  std::copy_if(lines.begin(), lines.end(), std::back_inserter(matching),
               [&](const std::wstring& line) { return line.starts_with(prefix); });
  return matching;
}
