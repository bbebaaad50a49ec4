#include "tools/stand_in_engine/resolve_url.h"

#include <windows.h>

#include <shlwapi.h>
#include <wininet.h>

std::wstring ResolveUrl(const std::wstring& base, const std::wstring& relative) {
  std::wstring combined(INTERNET_MAX_URL_LENGTH, L'\0');
  DWORD length = static_cast<DWORD>(combined.size());
  if (FAILED(::UrlCombineW(base.c_str(), relative.c_str(), combined.data(), &length, 0)))
    return relative;
  combined.resize(length);
  return combined;
}
