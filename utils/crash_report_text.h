#ifndef UTILS_CRASH_REPORT_TEXT_H_
#define UTILS_CRASH_REPORT_TEXT_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Names and texts of the crash handler that need no Windows.

inline constexpr wchar_t kDumpPattern[] = L"tabbridge_*.dump";
inline constexpr size_t kDumpsKept = 10;

struct DumpTime {
  int year;
  int month;
  int day;
  int hour;
  int minute;
  int second;
  int milliseconds;
};

// "tabbridge_YYYYMMDDhhmm_ssmmm_<tick in lowercase hex>.dump": the names sort
// oldest first.
std::wstring DumpFileName(const DumpTime& time, unsigned long tick_count);

// The dumps to delete so that `kept` of `paths` remain: the first in
// ordinary string order.
std::vector<std::wstring> DumpsToPrune(std::vector<std::wstring> paths, size_t kept = kDumpsKept);

// RFC 4648 base64 with the URL-safe alphabet, padding kept.
std::string Base64UrlEncode(std::string_view bytes);

// "ver=<version>&os=<release code>&content=<stack text in base64url>"; the
// encoded text needs no percent-escapes.
std::string CrashReportBody(std::string_view version, int release_code, std::string_view stack);

#endif  // UTILS_CRASH_REPORT_TEXT_H_
