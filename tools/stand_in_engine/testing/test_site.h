#ifndef TOOLS_STAND_IN_ENGINE_TESTING_TEST_SITE_H_
#define TOOLS_STAND_IN_ENGINE_TESTING_TEST_SITE_H_

#include <windows.h>

#include <docobj.h>
#include <mshtmhst.h>
#include <ole2.h>
#include <servprov.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <optional>
#include <string>
#include <vector>

// The container side of a hosted WebBrowser in tests: client and in-place
// site, UI handler, command target and new-window manager service, each
// answering as configured and recording what it was asked. Calls are also
// appended to a trace shared with the event recorder, so tests see the
// order of questions and events.
class TestSite final : public IOleClientSite,
                       public IOleInPlaceSite,
                       public IDocHostUIHandler,
                       public IServiceProvider,
                       public IOleCommandTarget,
                       public INewWindowManager {
 public:
  struct Evaluation {
    std::wstring url;
    std::optional<std::wstring> name;
    std::optional<std::wstring> url_context;
    std::optional<std::wstring> features;
    BOOL replace = FALSE;
    DWORD flags = 0;
    DWORD user_action_time = 0;
  };
  struct Command {
    std::optional<GUID> group;
    DWORD id = 0;
    VARTYPE in_type = VT_EMPTY;
    Microsoft::WRL::ComPtr<IUnknown> in_object;
    bool has_out = false;
  };

  TestSite(HWND window, std::vector<std::wstring>* trace) : window_(window), trace_(trace) {}

  // Answers.
  bool offer_ui_handler = true;
  bool offer_new_window_manager = true;
  bool offer_command_target = true;
  DWORD host_flags =
      0x40244000;  // the product's DPI_AWARE | NO3DOUTERBORDER | THEME | AUTOCOMPLETE
  HRESULT evaluate_answer = S_OK;
  HRESULT close_answer = S_FALSE;
  // The answer to a script error; nothing: the command is not supported.
  std::optional<VARIANT_BOOL> script_error_answer = VARIANT_TRUE;
  RECT position = {10, 20, 410, 320};

  // Records.
  int host_info_calls = 0;
  int in_place_activations = 0;
  int in_place_deactivations = 0;
  int ui_activations = 0;
  std::vector<Evaluation> evaluations;
  std::vector<Command> commands;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IOleClientSite
  HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override;
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override;
  HRESULT STDMETHODCALLTYPE OnUIActivate() override;
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame,
                                             IOleInPlaceUIWindow** document,
                                             LPRECT position,
                                             LPRECT clip,
                                             LPOLEINPLACEFRAMEINFO info) override;
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override;
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

  // IDocHostUIHandler
  HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* info) override;
  HRESULT STDMETHODCALLTYPE ShowUI(DWORD,
                                   IOleInPlaceActiveObject*,
                                   IOleCommandTarget*,
                                   IOleInPlaceFrame*,
                                   IOleInPlaceUIWindow*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE HideUI() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE UpdateUI() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, const GUID*, DWORD) override {
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* key, DWORD) override;
  HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget*, IDropTarget** target) override;
  HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** external) override;
  HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD, LPWSTR, LPWSTR* out) override;
  HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject*, IDataObject** out) override;

  // IServiceProvider
  HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID iid, void** object) override;

  // IOleCommandTarget
  HRESULT STDMETHODCALLTYPE QueryStatus(const GUID*, ULONG, OLECMD[], OLECMDTEXT*) override {
    return OLECMDERR_E_UNKNOWNGROUP;
  }
  HRESULT STDMETHODCALLTYPE
  Exec(const GUID* group, DWORD id, DWORD option, VARIANT* in, VARIANT* out) override;

  // INewWindowManager
  HRESULT STDMETHODCALLTYPE EvaluateNewWindow(LPCWSTR url,
                                              LPCWSTR name,
                                              LPCWSTR url_context,
                                              LPCWSTR features,
                                              BOOL replace,
                                              DWORD flags,
                                              DWORD user_action_time) override;

 private:
  ~TestSite() = default;

  LONG refs_ = 1;
  const HWND window_;
  std::vector<std::wstring>* const trace_;
};

#endif  // TOOLS_STAND_IN_ENGINE_TESTING_TEST_SITE_H_
