#include "tools/stand_in_engine/travel_log.h"

void TravelLog::Commit(int step, std::wstring url) {
  if (step != 0 && Peek(step)) {
    current_ += step;
    entries_[current_] = std::move(url);
    return;
  }
  entries_.resize(current_ + 1);
  entries_.push_back(std::move(url));
  current_ = static_cast<int>(entries_.size()) - 1;
}

std::optional<std::wstring> TravelLog::Peek(int step) const {
  const int target = current_ + step;
  if (step == 0 || target < 0 || target >= static_cast<int>(entries_.size()))
    return std::nullopt;
  return entries_[target];
}
