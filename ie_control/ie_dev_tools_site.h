#ifndef IE_CONTROL_IE_DEV_TOOLS_SITE_H_
#define IE_CONTROL_IE_DEV_TOOLS_SITE_H_

#include <windows.h>

#include <unknwn.h>

#include <functional>

#include "ui_base/com_object.h"
#include "utils/com_ptr.h"

// What the engine's developer tools ask of the page they inspect.
struct IEDevToolsSite : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetBrowser(IUnknown** browser) = 0;
  // Further requests of the tools, which the host does not answer.
  virtual HRESULT STDMETHODCALLTYPE Reserved1(void*, void*, void*) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved2(void*) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved3(void*) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved4(void*, void*) = 0;
};
__CRT_UUID_DECL(IEDevToolsSite,
                0x115d9b3b,
                0xfff4,
                0x4e60,
                0x85,
                0xc4,
                0x08,
                0xcc,
                0x24,
                0xd4,
                0xbe,
                0xff)

// The tools object's methods the host calls; the slots between them are
// the tools' own business.
struct IEDevTools : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetSite(IEDevToolsSite* site) = 0;
  virtual HRESULT STDMETHODCALLTYPE Show(BOOL show) = 0;
  virtual HRESULT STDMETHODCALLTYPE Slot5() = 0;
  virtual HRESULT STDMETHODCALLTYPE Close() = 0;
  virtual HRESULT STDMETHODCALLTYPE Slot7() = 0;
  virtual HRESULT STDMETHODCALLTYPE Slot8() = 0;
  virtual HRESULT STDMETHODCALLTYPE SetDockState(DWORD state) = 0;
  virtual HRESULT STDMETHODCALLTYPE Slot10() = 0;
  virtual HRESULT STDMETHODCALLTYPE Activate() = 0;
};

// The engine's tools class; its interface differs from engine 11 on.
inline constexpr CLSID kDevToolsClass = {0x1a6fe369,
                                         0xf28c,
                                         0x4ad9,
                                         {0xa3, 0xe6, 0x2b, 0xcb, 0x50, 0x80, 0x7c, 0xf1}};
inline constexpr IID kDevToolsInterface11 = {0x181e3828,
                                             0xfe6e,
                                             0x4602,
                                             {0xa3, 0x27, 0x78, 0x6a, 0x76, 0xfd, 0xfb, 0x3a}};
inline constexpr IID kDevToolsInterfaceOlder = {0x059055df,
                                                0x6bb0,
                                                0x402a,
                                                {0xba, 0x48, 0x58, 0xbf, 0xa3, 0x43, 0x71, 0x9c}};

// One frame's link to the engine's developer tools: made on the frame's
// first F12 and kept with it, so later presses reuse it and its tools.
class IEDevToolsSiteImpl : public ComObject<IEDevToolsSite> {
 public:
  struct Launcher {
    // Makes the tools object in this process.
    std::function<HRESULT(REFIID iid, void** tools)> create_tools;
    // Starts a copy of the host that attaches the tools from outside.
    std::function<void(DWORD process_id, HWND page)> start_copy;
  };
  static Launcher DefaultLauncher();

  IEDevToolsSiteImpl(com_ptr<IUnknown> browser,
                     int engine_major_version,
                     Launcher launcher = DefaultLauncher());
  // Closes the tools when there are any.
  ~IEDevToolsSiteImpl() override;

  // Shows the tools for `page` (the "Internet Explorer_Server" window).
  // When they cannot be made here a copy of the host is started, which
  // counts as success; false when the tools refuse the site.
  bool Open(bool show, HWND page);

  // IEDevToolsSite
  STDMETHODIMP GetBrowser(IUnknown** browser) override;
  STDMETHODIMP Reserved1(void*, void*, void*) override { return S_OK; }
  STDMETHODIMP Reserved2(void*) override { return S_OK; }
  STDMETHODIMP Reserved3(void*) override { return S_OK; }
  STDMETHODIMP Reserved4(void*, void*) override { return S_OK; }

 protected:
  void* FindInterface(REFIID iid) override;

 private:
  com_ptr<IUnknown> browser_;
  com_ptr<IEDevTools> tools_;
  const int engine_major_version_;
  Launcher launcher_;
};

// The page window inside the control's host window: "Shell Embedding" >
// "Shell DocObject View" > "Internet Explorer_Server"; null when a step is
// missing.
HWND FindPageWindow(HWND host);

// Developer-tools mode: calls the engine's tools library's attach entry for
// `window` of process `process_id`. False when the library or its entry is
// missing, as under Wine.
bool AttachToolsFromOutside(int process_id, HWND window);

#endif  // IE_CONTROL_IE_DEV_TOOLS_SITE_H_
