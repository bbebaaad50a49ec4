#include "host_functions/device_id.h"

#include <windows.h>

#include <objbase.h>
#include <wbemidl.h>

#include <cstdio>

#include "utils/com_ptr.h"
#include "utils/log_failure.h"
#include "utils/ole_owners.h"

namespace {

constexpr wchar_t kBoardQuery[] = L"SELECT * FROM Win32_ComputerSystemProduct";
constexpr wchar_t kAdapterQuery[] =
    L"SELECT * FROM Win32_NetworkAdapter WHERE\r\n    MACAddress IS NOT NULL AND "
    L"(PNPDeviceID LIKE 'PCI%' OR PNPDeviceID LIKE 'USB%')";

// Balances a successful CoInitializeEx of this thread.
class ScopedComInit {
 public:
  ScopedComInit() {
    ok_ = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED)) ||
          SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  }
  ~ScopedComInit() {
    if (ok_)
      ::CoUninitialize();
  }
  ScopedComInit(const ScopedComInit&) = delete;
  ScopedComInit& operator=(const ScopedComInit&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_;
};

com_ptr<IWbemServices> ConnectToWmi() {
  const HRESULT security =
      ::CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                             RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
  if (FAILED(security) && security != RPC_E_TOO_LATE)
    return nullptr;
  com_ptr<IWbemLocator> locator;
  if (FAILED(::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                locator.put_void()))) {
    return nullptr;
  }
  com_ptr<IWbemServices> services;
  const unique_bstr name = MakeBstr(L"ROOT\\CIMV2");
  if (FAILED(locator->ConnectServer(name.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                    services.put()))) {
    return nullptr;
  }
  // Without the blanket calls may be refused; try them anyway.
  LOG_IF_FAILED(::CoSetProxyBlanket(services.get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                    RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr,
                                    EOAC_NONE));
  return services;
}

std::string WideToAnsi(const wchar_t* text) {
  const int size = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1)
    return std::string();
  std::string ansi(size, '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text, -1, ansi.data(), size, nullptr, nullptr);
  ansi.resize(size - 1);
  return ansi;
}

// Calls `take(text)` with the non-empty string `property` of each object the
// query yields, until it returns false.
template <typename Take>
void QueryStrings(IWbemServices* services,
                  const wchar_t* query,
                  long flags,
                  const wchar_t* property,
                  Take take) {
  const unique_bstr language = MakeBstr(L"WQL");
  const unique_bstr text = MakeBstr(query);
  com_ptr<IEnumWbemClassObject> objects;
  if (FAILED(services->ExecQuery(language.get(), text.get(), flags, nullptr, objects.put())))
    return;
  for (;;) {
    com_ptr<IWbemClassObject> object;
    ULONG count = 0;
    if (objects->Next(WBEM_INFINITE, 1, object.put(), &count) != WBEM_S_NO_ERROR || count == 0)
      return;
    unique_variant value;
    if (FAILED(object->Get(property, 0, value.put(), nullptr, nullptr)) ||
        value.get()->vt != VT_BSTR || !value.get()->bstrVal) {
      continue;
    }
    const std::string ansi = WideToAnsi(value.get()->bstrVal);
    if (!ansi.empty() && !take(ansi))
      return;
  }
}

std::string ReadVolumeSerial() {
  wchar_t folder[MAX_PATH];
  wchar_t volume_path[MAX_PATH];
  wchar_t volume_name[MAX_PATH];
  DWORD serial = 0;
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH || !::GetVolumePathNameW(folder, volume_path, MAX_PATH) ||
      !::GetVolumeNameForVolumeMountPointW(volume_path, volume_name, MAX_PATH) ||
      !::GetVolumeInformationW(volume_name, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) {
    return std::string();
  }
  char text[9];
  std::snprintf(text, sizeof(text), "%08lX", serial);
  return text;
}

}  // namespace

uint32_t Crc32(std::string_view text) {
  using RtlComputeCrc32Function = DWORD(WINAPI*)(DWORD, const BYTE*, INT);
  static const auto compute = reinterpret_cast<RtlComputeCrc32Function>(
      ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlComputeCrc32"));
  return compute(0, reinterpret_cast<const BYTE*>(text.data()), static_cast<INT>(text.size()));
}

DeviceSources ReadDeviceSources() {
  DeviceSources sources;
  const ScopedComInit com;
  const com_ptr<IWbemServices> services = com.ok() ? ConnectToWmi() : nullptr;
  if (services) {
    QueryStrings(services.get(), kBoardQuery, WBEM_FLAG_RETURN_IMMEDIATELY, L"UUID",
                 [&](std::string text) {
                   sources.board_uuid = std::move(text);
                   return false;
                 });
  }
  sources.volume_serial = ReadVolumeSerial();
  if (services) {
    QueryStrings(services.get(), kAdapterQuery,
                 WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY, L"MACAddress",
                 [&](std::string text) {
                   sources.mac_addresses.push_back(std::move(text));
                   return true;
                 });
  }
  return sources;
}

std::string ComputeDeviceIdentifier() {
  return DeviceIdentifierDocument(ReadDeviceSources(), &Crc32);
}
