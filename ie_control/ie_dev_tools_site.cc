#include "ie_control/ie_dev_tools_site.h"

#include <shellapi.h>

#include <cstdint>
#include <string>
#include <utility>

#include "host_functions/system_info.h"
#include "ie_control/dev_tools_command.h"
#include "utils/log_failure.h"
#include "utils/scoped_handle.h"

namespace {

HRESULT CreateToolsInProcess(REFIID iid, void** tools) {
  // The tools load their companions from their own folder.
  wchar_t folder[MAX_PATH];
  if (GetComServerFolder(kDevToolsClass, folder))
    LOG_IF_WIN32_BOOL_FALSE(::SetCurrentDirectoryW(folder));
  return ::CoCreateInstance(kDevToolsClass, nullptr, CLSCTX_INPROC_SERVER, iid, tools);
}

void StartToolsCopy(DWORD process_id, HWND page) {
  wchar_t program[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, program, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return;
  const std::wstring arguments = DevToolsCommandLine(
      process_id, static_cast<unsigned long>(reinterpret_cast<uintptr_t>(page)));
  SHELLEXECUTEINFOW run = {sizeof(run)};
  run.fMask = SEE_MASK_NOCLOSEPROCESS;
  run.lpVerb = L"open";
  run.lpFile = program;
  run.lpParameters = arguments.c_str();
  run.nShow = SW_SHOW;
  LOG_IF_WIN32_BOOL_FALSE(::ShellExecuteExW(&run));
  const unique_handle process(run.hProcess);
}

HWND FindChild(HWND parent, const wchar_t* class_name) {
  return parent ? ::FindWindowExW(parent, nullptr, class_name, nullptr) : nullptr;
}

}  // namespace

IEDevToolsSiteImpl::Launcher IEDevToolsSiteImpl::DefaultLauncher() {
  return {&CreateToolsInProcess, &StartToolsCopy};
}

IEDevToolsSiteImpl::IEDevToolsSiteImpl(com_ptr<IUnknown> browser,
                                       int engine_major_version,
                                       Launcher launcher)
    : browser_(std::move(browser)),
      engine_major_version_(engine_major_version),
      launcher_(std::move(launcher)) {}

IEDevToolsSiteImpl::~IEDevToolsSiteImpl() {
  if (tools_)
    LOG_IF_FAILED(tools_->Close());
}

bool IEDevToolsSiteImpl::Open(bool show, HWND page) {
  if (!tools_) {
    const IID& iid = engine_major_version_ >= 11 ? kDevToolsInterface11 : kDevToolsInterfaceOlder;
    if (FAILED(launcher_.create_tools(iid, tools_.put_void())) || !tools_) {
      tools_.reset();
      launcher_.start_copy(::GetCurrentProcessId(), page);
      return true;
    }
    if (FAILED(tools_->SetSite(this)))
      return false;
  }
  tools_->SetDockState(0);
  tools_->Show(show);
  tools_->Activate();
  return true;
}

STDMETHODIMP IEDevToolsSiteImpl::GetBrowser(IUnknown** browser) {
  if (!browser)
    return E_POINTER;
  *browser = nullptr;
  return browser_ ? browser_->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(browser))
                  : E_FAIL;
}

void* IEDevToolsSiteImpl::FindInterface(REFIID iid) {
  return FindInterfaceIn(iid, {Offer<IEDevToolsSite>(this)});
}

HWND FindPageWindow(HWND host) {
  return FindChild(FindChild(FindChild(host, L"Shell Embedding"), L"Shell DocObject View"),
                   L"Internet Explorer_Server");
}

bool AttachToolsFromOutside(int process_id, HWND window) {
  wchar_t system[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return false;
  const std::wstring path = std::wstring(system, length) + L"\\F12\\F12AppFrame.dll";
  if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
    return false;
  // Never freed: the tools run on after the call.
  const HMODULE library = ::LoadLibraryW(path.c_str());
  using AttachEntry = void(CALLBACK*)(HWND, HINSTANCE, LPSTR, int);
  const auto attach = library ? reinterpret_cast<AttachEntry>(reinterpret_cast<void*>(
                                    ::GetProcAddress(library, "AttachTools")))
                              : nullptr;
  if (!attach)
    return false;
  std::string argument = AttachToolsArgument(
      process_id, static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window)));
  attach(nullptr, nullptr, argument.data(), 0);
  return true;
}
