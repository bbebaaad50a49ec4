#include "tab_view/new_window_rules.h"

namespace {

constexpr uint32_t kForceWindow = 0x10000;
constexpr uint32_t kSuggestWindow = 0x40000;

}  // namespace

bool AsksForPopup(uint32_t flags) {
  return (flags & (kForceWindow | kSuggestWindow)) != 0;
}

bool NamesFolder(std::wstring_view file_url) {
  const size_t slash = file_url.rfind(L'/');
  return slash != std::wstring_view::npos && file_url.find(L'.', slash) == std::wstring_view::npos;
}
