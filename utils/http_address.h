#ifndef UTILS_HTTP_ADDRESS_H_
#define UTILS_HTTP_ADDRESS_H_

#include <optional>
#include <string>
#include <string_view>

// The object path of `address`: what follows the first occurrence of `host`,
// past ":<port>" when a colon follows the host. Nothing when the host does
// not occur.
std::optional<std::wstring> ObjectPathAfterHost(std::wstring_view address,
                                                std::wstring_view host,
                                                unsigned port);

#endif  // UTILS_HTTP_ADDRESS_H_
