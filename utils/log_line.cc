#include "utils/log_line.h"

#include <iomanip>
#include <iterator>

#include "utils/string_util.h"

const char* LogLevelName(int level) {
  static constexpr const char* kNames[] = {"DEBUG", "INFO", "WARNING", "ERROR", "FATAL"};
  const unsigned index = static_cast<unsigned>(level);
  return index < std::size(kNames) ? kNames[index] : "UNKNOWN";
}

std::string_view LogSourceBaseName(std::string_view path) {
  const size_t separator = path.find_last_of("\\/");
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

void WriteLogLinePrefix(std::wostream& out, const LogLinePrefix& prefix) {
  out << std::left << L'[' << std::setw(5) << prefix.process_id << L'|' << std::setw(5)
      << prefix.thread_id << L'|';
  out << std::right << std::setfill(L'0') << std::setw(2) << prefix.month << L'-' << std::setw(2)
      << prefix.day << L' ' << std::setw(2) << prefix.hour << L':' << std::setw(2) << prefix.minute
      << L':' << std::setw(2) << prefix.second << L'|';
  out << std::setfill(L' ') << std::setw(7) << LogLevelName(prefix.level) << L'|'
      << Utf8ToWide(LogSourceBaseName(prefix.source_path)) << L':' << prefix.line << L"] ";
}
