#ifndef TOOLS_STAND_IN_ENGINE_TRAVEL_LOG_H_
#define TOOLS_STAND_IN_ENGINE_TRAVEL_LOG_H_

#include <optional>
#include <string>
#include <vector>

// The top document's history. A navigation enters the log only when it
// commits, so one that is cancelled or replaced leaves the log as it was.
class TravelLog {
 public:
  // A committed navigation: `step` 0 for a new one (entries ahead of the
  // current one are dropped), -1 or +1 for GoBack or GoForward. The entry
  // takes the URL the document finally came from.
  void Commit(int step, std::wstring url);

  // The URL one step away in the direction of `step`; nothing at either end.
  std::optional<std::wstring> Peek(int step) const;

  const std::vector<std::wstring>& entries() const { return entries_; }
  // Index of the current entry; -1 while the log is empty.
  int current() const { return current_; }

 private:
  std::vector<std::wstring> entries_;
  int current_ = -1;
};

#endif  // TOOLS_STAND_IN_ENGINE_TRAVEL_LOG_H_
