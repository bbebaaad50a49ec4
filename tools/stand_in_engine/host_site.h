#ifndef TOOLS_STAND_IN_ENGINE_HOST_SITE_H_
#define TOOLS_STAND_IN_ENGINE_HOST_SITE_H_

#include <windows.h>

#include <docobj.h>
#include <ole2.h>

#include "utils/com_ptr.h"

// CGID_DocHostCommandHandler, spelt out so no import library has to carry it.
inline constexpr GUID kDocHostCommandHandler = {0xf38bc242,
                                                0xb950,
                                                0x11d1,
                                                {0x89, 0x18, 0x00, 0xc0, 0x4f, 0xc2, 0xc8, 0x36}};

// `Interface` of the client site; null without a site or without the interface.
template <typename Interface>
com_ptr<Interface> SiteAs(const com_ptr<IOleClientSite>& site) {
  com_ptr<Interface> out;
  (void)site.query(&out);
  return out;
}

// IOleCommandTarget::Exec in CGID_DocHostCommandHandler; E_NOINTERFACE when
// the site has no command target.
inline HRESULT ExecOnSite(const com_ptr<IOleClientSite>& site,
                          DWORD command,
                          VARIANT* in,
                          VARIANT* out) {
  const com_ptr<IOleCommandTarget> target = SiteAs<IOleCommandTarget>(site);
  return target ? target->Exec(&kDocHostCommandHandler, command, OLECMDEXECOPT_DODEFAULT, in, out)
                : E_NOINTERFACE;
}

#endif  // TOOLS_STAND_IN_ENGINE_HOST_SITE_H_
