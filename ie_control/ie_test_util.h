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
  void NotifyNavigateComplete(int control_id, const wchar_t* url) override;
  void NotifyNavigateError(int control_id, const wchar_t* url) override;
  void NotifyDocumentComplete(int control_id, const wchar_t* url, const wchar_t* title) override;
  void NotifyBeforeNavigate(int control_id, bool top_frame, const wchar_t* url) override;
  void NotifyTitleChange(const wchar_t* title) override;
  void NotifyCloseTab() override;

  // Reports that begin with `prefix`.
  std::vector<std::wstring> Matching(const std::wstring& prefix) const;

  std::vector<std::wstring> lines;
};

#endif  // IE_CONTROL_IE_TEST_UTIL_H_
