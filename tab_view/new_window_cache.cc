#include "tab_view/new_window_cache.h"

#include <algorithm>
#include <utility>

void NewWindowCache::Add(NewWindowParam param) {
  records_.push_back(std::move(param));
}

std::optional<NewWindowParam> NewWindowCache::Take(const std::wstring& url,
                                                   const std::wstring& url_context,
                                                   uint32_t flags) {
  const auto newest = std::find_if(records_.rbegin(), records_.rend(), [&](const auto& record) {
    return record.url == url && record.url_context == url_context && record.flags == flags;
  });
  if (newest == records_.rend())
    return std::nullopt;
  NewWindowParam found = std::move(*newest);
  records_.erase(std::next(newest).base());
  return found;
}
