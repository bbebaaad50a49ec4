#ifndef TOOLS_STAND_IN_ENGINE_TESTING_SCOPED_JOURNAL_H_
#define TOOLS_STAND_IN_ENGINE_TESTING_SCOPED_JOURNAL_H_

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Points the stand-in engine's journal at a fresh temporary file for the
// life of the object (for this process and the children it starts) and
// reads it back.
class ScopedJournal {
 public:
  struct Line {
    std::wstring record;
    std::map<std::wstring, std::wstring> fields;
    std::wstring Field(const std::wstring& name) const;
  };

  ScopedJournal();
  ScopedJournal(const ScopedJournal&) = delete;
  ScopedJournal& operator=(const ScopedJournal&) = delete;
  ~ScopedJournal();

  // The lines of `record`, in the order they were written.
  std::vector<Line> Records(std::wstring_view record) const;

 private:
  std::wstring path_;
  std::optional<std::wstring> previous_;
};

#endif  // TOOLS_STAND_IN_ENGINE_TESTING_SCOPED_JOURNAL_H_
