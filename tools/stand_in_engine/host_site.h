#ifndef TOOLS_STAND_IN_ENGINE_HOST_SITE_H_
#define TOOLS_STAND_IN_ENGINE_HOST_SITE_H_

#include <windows.h>

#include <ole2.h>
#include <wrl/client.h>

#include <optional>

// The questions the engine puts to its container, all through the client
// site it was given: the container's UI handler, its new-window manager
// service and its command target.
class HostSite {
 public:
  void Set(IOleClientSite* site) { site_ = site; }
  IOleClientSite* get() const { return site_.Get(); }

  Microsoft::WRL::ComPtr<IOleInPlaceSite> InPlaceSite() const;

  struct HostInfo {
    DWORD flags = 0;
    DWORD double_click = 0;
  };
  // IDocHostUIHandler::GetHostInfo; nothing when the site has no handler or
  // the handler fails.
  std::optional<HostInfo> GetHostInfo() const;

  // INewWindowManager::EvaluateNewWindow, found through the site's
  // IServiceProvider; nothing when the container offers no manager.
  std::optional<HRESULT> EvaluateNewWindow(const wchar_t* url,
                                           const wchar_t* name,
                                           const wchar_t* url_context,
                                           const wchar_t* features,
                                           DWORD flags,
                                           DWORD user_action_time) const;

  // IOleCommandTarget::Exec in CGID_DocHostCommandHandler; E_NOINTERFACE
  // when the site has no command target.
  HRESULT Exec(DWORD command, VARIANT* in, VARIANT* out) const;

 private:
  Microsoft::WRL::ComPtr<IOleClientSite> site_;
};

#endif  // TOOLS_STAND_IN_ENGINE_HOST_SITE_H_
