#ifndef TAB_VIEW_NEW_WINDOW_CACHE_H_
#define TAB_VIEW_NEW_WINDOW_CACHE_H_

#include <cstdint>
#include <list>
#include <optional>
#include <string>

// What the engine tells before it opens a window (its name and features
// come only here), kept until the window's event arrives.
struct NewWindowParam {
  std::wstring url;
  std::wstring name;
  std::wstring url_context;
  std::wstring features;
  uint32_t replace = 0;
  uint32_t flags = 0;
  uint32_t user_action_time = 0;

  bool operator==(const NewWindowParam&) const = default;
};

// Unbounded and never expires: a record no window event takes stays with
// its view.
class NewWindowCache {
 public:
  void Add(NewWindowParam param);

  // The newest record with this URL, opener URL and flags (whole strings,
  // case-sensitive), taken out of the cache.
  std::optional<NewWindowParam> Take(const std::wstring& url,
                                     const std::wstring& url_context,
                                     uint32_t flags);

  size_t size() const { return records_.size(); }

 private:
  std::list<NewWindowParam> records_;
};

#endif  // TAB_VIEW_NEW_WINDOW_CACHE_H_
