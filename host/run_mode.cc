#include "host/run_mode.h"

#include <climits>

RunMode ChooseRunMode(const CCmdLineParser& parser) {
  if (parser.HasKey(L"extension"))
    return RunMode::kExtension;
  if (parser.HasKey(L"devtools") && parser.HasKey(L"p") && parser.HasKey(L"h"))
    return RunMode::kDevTools;
  if (parser.HasKey(L"diagnose"))
    return RunMode::kDiagnose;
  return RunMode::kInstaller;
}

int ExitCodeFor(RunMode mode) {
  return mode == RunMode::kInstaller ? 0 : 1;
}

int ParseLeadingDecimal(std::wstring_view text) {
  int value = 0;
  for (const wchar_t c : text) {
    if (c < L'0' || c > L'9')
      break;
    const int digit = c - L'0';
    if (value > (INT_MAX - digit) / 10)
      return INT_MAX;
    value = value * 10 + digit;
  }
  return value;
}
