#ifndef TOOLS_STAND_IN_ENGINE_TESTING_EVENT_RECORDER_H_
#define TOOLS_STAND_IN_ENGINE_TESTING_EVENT_RECORDER_H_

#include <windows.h>

#include <oaidl.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <vector>

// A DWebBrowserEvents2 sink for tests. It checks every event's argument
// count and VARIANT types the way the product's decoder does (and the
// values inside the by-reference VARIANTs), records the event, writes it to
// the trace as e.g. "BeforeNavigate2 frame1 http://..." and lets the test
// answer or act from inside the call.
class EventRecorder final : public IDispatch {
 public:
  struct Event {
    DISPID id = 0;
    std::wstring name;
    std::wstring frame;  // "top", or "frame1", "frame2", ... in order of first sight
    Microsoft::WRL::ComPtr<IUnknown> frame_identity;
    std::wstring url;
    std::wstring target_frame;
    std::wstring url_context;
    std::wstring title;
    LONG status = 0;
    DWORD flags = 0;
    bool child_window = false;
  };

  // `top` is the hosted browser; frames are told from it by COM identity.
  EventRecorder(IUnknown* top, std::vector<std::wstring>* trace);

  // Cancellable events (BeforeNavigate2, NavigateError, NewWindow3,
  // WindowClosing) are cancelled when this says so.
  std::function<bool(const Event&)> cancel;
  // NewWindow3: the browser to hand over (the engine takes the reference).
  std::function<IDispatch*(const Event&)> new_window;
  // Runs after each event is recorded, inside the engine's call.
  std::function<void(const Event&)> after;

  const std::vector<Event>& events() const { return events_; }
  // Descriptions of events whose shape the product would not accept.
  const std::vector<std::wstring>& malformed() const { return malformed_; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id,
                                   REFIID,
                                   LCID,
                                   WORD,
                                   DISPPARAMS* parameters,
                                   VARIANT*,
                                   EXCEPINFO*,
                                   UINT*) override;

 private:
  ~EventRecorder() = default;

  std::wstring FrameLabel(IDispatch* frame, Microsoft::WRL::ComPtr<IUnknown>* identity);
  bool Decode(DISPID id, const DISPPARAMS& parameters, Event* event);

  LONG refs_ = 1;
  Microsoft::WRL::ComPtr<IUnknown> top_;
  std::vector<std::wstring>* const trace_;
  std::vector<Microsoft::WRL::ComPtr<IUnknown>> frames_;
  std::vector<Event> events_;
  std::vector<std::wstring> malformed_;
};

#endif  // TOOLS_STAND_IN_ENGINE_TESTING_EVENT_RECORDER_H_
