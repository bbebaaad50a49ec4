#include "utils/crash_report_text.h"

#include <algorithm>
#include <cwchar>

std::wstring DumpFileName(const DumpTime& time, unsigned long tick_count) {
  wchar_t name[128];
  std::swprintf(name, std::size(name), L"tabbridge_%04d%02d%02d%02d%02d_%02d%03d_%lx.dump",
                time.year, time.month, time.day, time.hour, time.minute, time.second,
                time.milliseconds, tick_count);
  return name;
}

std::vector<std::wstring> DumpsToPrune(std::vector<std::wstring> paths, size_t kept) {
  if (paths.size() <= kept)
    return {};
  std::sort(paths.begin(), paths.end());
  paths.resize(paths.size() - kept);
  return paths;
}

std::string Base64UrlEncode(std::string_view bytes) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t count = std::min<size_t>(3, bytes.size() - i);
    unsigned group = 0;
    for (size_t j = 0; j < 3; ++j)
      group = group << 8 | (j < count ? static_cast<unsigned char>(bytes[i + j]) : 0u);
    for (size_t j = 0; j < 4; ++j)
      out += j <= count ? kAlphabet[(group >> (18 - 6 * j)) & 0x3F] : '=';
  }
  return out;
}

std::string CrashReportBody(std::string_view version, int release_code, std::string_view stack) {
  return "ver=" + std::string(version) + "&os=" + std::to_string(release_code) +
         "&content=" + Base64UrlEncode(stack);
}
