#ifndef HOST_CMD_LINE_PARSER_H_
#define HOST_CMD_LINE_PARSER_H_

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Switches of the form -key, /key, /key:value and /key:"quoted value".
// Keys keep their first value; unless case sensitive, keys are lower-cased
// (ASCII) when stored and looked up.
class CCmdLineParser {
 public:
  explicit CCmdLineParser(bool case_sensitive = false);
  CCmdLineParser(const wchar_t* command_line, bool case_sensitive);
  virtual ~CCmdLineParser() = default;

  // False when the text is missing or holds no switch.
  bool Parse(const wchar_t* command_line);
  bool HasKey(std::wstring_view key) const;
  std::optional<std::wstring> GetValue(std::wstring_view key) const;

 private:
  std::wstring NormalizeKey(std::wstring_view key) const;
  void Store(std::wstring_view key, std::wstring_view value);

  std::wstring command_line_;
  std::map<std::wstring, std::wstring> values_;
  bool case_sensitive_;
};

#endif  // HOST_CMD_LINE_PARSER_H_
