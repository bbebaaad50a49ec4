#include "utils/http_address.h"

#include <algorithm>

std::optional<std::wstring> ObjectPathAfterHost(std::wstring_view address,
                                                std::wstring_view host,
                                                unsigned port) {
  const size_t found = host.empty() ? std::wstring_view::npos : address.find(host);
  if (found == std::wstring_view::npos)
    return std::nullopt;
  std::wstring_view rest = address.substr(found + host.size());
  if (!rest.empty() && rest.front() == L':')
    rest.remove_prefix(std::min(rest.size(), 1 + std::to_wstring(port).size()));
  return std::wstring(rest);
}
