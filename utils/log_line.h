#ifndef UTILS_LOG_LINE_H_
#define UTILS_LOG_LINE_H_

#include <ostream>
#include <string_view>

// Everything a log line carries before its text.
struct LogLinePrefix {
  unsigned long process_id;
  unsigned long thread_id;
  int month;
  int day;
  int hour;
  int minute;
  int second;
  int level;
  const char* source_path;
  int line;
};

// "DEBUG" .. "FATAL"; any other value, negatives included, is "UNKNOWN".
const char* LogLevelName(int level);

// The part after the last '\' or '/', or the whole path when it has neither.
std::string_view LogSourceBaseName(std::string_view path);

// Writes "[pid  |tid  |MM-DD hh:mm:ss|  LEVEL|file.cc:53] ". Leaves the stream
// right-aligned with blank fill, as a fresh stream is.
void WriteLogLinePrefix(std::wostream& out, const LogLinePrefix& prefix);

#endif  // UTILS_LOG_LINE_H_
