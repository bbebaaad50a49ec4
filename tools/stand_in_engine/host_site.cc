#include "tools/stand_in_engine/host_site.h"

#include <docobj.h>
#include <mshtmhst.h>
#include <servprov.h>
#include <shobjidl.h>

using Microsoft::WRL::ComPtr;

namespace {

// CGID_DocHostCommandHandler, spelt out so no import library has to carry it.
constexpr GUID kDocHostCommandHandler = {0xf38bc242,
                                         0xb950,
                                         0x11d1,
                                         {0x89, 0x18, 0x00, 0xc0, 0x4f, 0xc2, 0xc8, 0x36}};

}  // namespace

ComPtr<IOleInPlaceSite> HostSite::InPlaceSite() const {
  ComPtr<IOleInPlaceSite> in_place_site;
  if (site_)
    site_.As(&in_place_site);
  return in_place_site;
}

std::optional<HostSite::HostInfo> HostSite::GetHostInfo() const {
  ComPtr<IDocHostUIHandler> handler;
  if (!site_ || FAILED(site_.As(&handler)))
    return std::nullopt;
  DOCHOSTUIINFO info = {sizeof(info)};
  if (FAILED(handler->GetHostInfo(&info)))
    return std::nullopt;
  // The host allocates these for us to free.
  ::CoTaskMemFree(info.pchHostCss);
  ::CoTaskMemFree(info.pchHostNS);
  return HostInfo{info.dwFlags, info.dwDoubleClick};
}

std::optional<HRESULT> HostSite::EvaluateNewWindow(const wchar_t* url,
                                                   const wchar_t* name,
                                                   const wchar_t* url_context,
                                                   const wchar_t* features,
                                                   DWORD flags,
                                                   DWORD user_action_time) const {
  ComPtr<IServiceProvider> services;
  ComPtr<INewWindowManager> manager;
  if (!site_ || FAILED(site_.As(&services)) ||
      FAILED(services->QueryService(IID_INewWindowManager, IID_PPV_ARGS(&manager))) || !manager) {
    return std::nullopt;
  }
  return manager->EvaluateNewWindow(url, name, url_context, features, FALSE, flags,
                                    user_action_time);
}

HRESULT HostSite::Exec(DWORD command, VARIANT* in, VARIANT* out) const {
  ComPtr<IOleCommandTarget> target;
  if (!site_ || FAILED(site_.As(&target)))
    return E_NOINTERFACE;
  return target->Exec(&kDocHostCommandHandler, command, OLECMDEXECOPT_DODEFAULT, in, out);
}
