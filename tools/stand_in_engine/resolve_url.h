#ifndef TOOLS_STAND_IN_ENGINE_RESOLVE_URL_H_
#define TOOLS_STAND_IN_ENGINE_RESOLVE_URL_H_

#include <string>

// `relative` read against the page at `base`, by the platform's URL rules
// (UrlCombineW); `relative` unchanged when they cannot be combined.
std::wstring ResolveUrl(const std::wstring& base, const std::wstring& relative);

#endif  // TOOLS_STAND_IN_ENGINE_RESOLVE_URL_H_
