#ifndef IE_CONTROL_IE_TEST_UTIL_H_
#define IE_CONTROL_IE_TEST_UTIL_H_

#include <windows.h>

#include <string>
#include <vector>

#include "ie_control/ie_control_notify.h"

// Test support for the browser host.

// Every report as one line, e.g. L"BeforeNavigate 6 top http://...".
class RecordingNotify : public IIEControlNotify {
 public:
  void NotifyNavigateComplete(int control_id, const wchar_t* url) override {
    Add({L"NavigateComplete", std::to_wstring(control_id), Text(url)});
  }
  void NotifyNavigateError(int control_id, const wchar_t* url) override {
    Add({L"NavigateError", std::to_wstring(control_id), Text(url)});
  }
  void NotifyDocumentComplete(int control_id, const wchar_t* url, const wchar_t* title) override {
    Add({L"DocumentComplete", std::to_wstring(control_id), Text(url), L"[" + Text(title) + L"]"});
  }
  void NotifyBeforeNavigate(int control_id, bool top_frame, const wchar_t* url) override {
    Add({L"BeforeNavigate", std::to_wstring(control_id), top_frame ? L"top" : L"sub", Text(url)});
  }
  void NotifyTitleChange(const wchar_t* title) override { Add({L"TitleChange", Text(title)}); }
  void NotifyCloseTab() override { Add({L"CloseTab"}); }

  // Reports that begin with `prefix`.
  std::vector<std::wstring> Matching(const std::wstring& prefix) const;

  std::vector<std::wstring> lines;

 private:
  static std::wstring Text(const wchar_t* text) { return text ? text : L"(null)"; }
  void Add(const std::vector<std::wstring>& words);
};

#endif  // IE_CONTROL_IE_TEST_UTIL_H_
