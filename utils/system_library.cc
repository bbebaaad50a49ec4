#include "utils/system_library.h"

#include <string>

unique_hmodule LoadSystemFolderLibrary(const wchar_t* file_name) {
  wchar_t folder[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return unique_hmodule();
  const std::wstring path = std::wstring(folder, length) + L"\\" + file_name;
  return unique_hmodule(::LoadLibraryW(path.c_str()));
}

bool LookUpExports(HMODULE module,
                   ExportLookup lookup,
                   std::initializer_list<std::pair<const char*, void**>> exports) {
  bool complete = module != nullptr;
  for (const auto& [name, slot] : exports) {
    *slot = module ? reinterpret_cast<void*>(lookup(module, name)) : nullptr;
    complete = complete && *slot;
  }
  return complete;
}
