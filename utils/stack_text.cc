#include "utils/stack_text.h"

#include <dbghelp.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <utility>

#include "utils/system_library.h"

namespace {

// A frame whose return address is its own program counter is a walk going
// round in circles.
constexpr int kMaxRepeatedFrames = 1000;
constexpr DWORD kMaxNameChars = 1024;

std::string Format(const char* format, auto... args) {
  char text[2048];
  const int length = std::snprintf(text, sizeof(text), format, args...);
  return length < 0 ? std::string() : std::string(text, std::min<size_t>(length, sizeof(text) - 1));
}

const char* SymTypeName(SYM_TYPE type) {
  switch (type) {
    case SymNone:
      return "-nosymbols-";
    case SymCoff:
      return "COFF";
    case SymCv:
      return "CV";
    case SymPdb:
      return "PDB";
    case SymExport:
      return "-exported-";
    case SymDeferred:
      return "-deferred-";
    case SymSym:
      return "SYM";
    case SymDia:
      return "DIA";
    case SymVirtual:
      return "Virtual";
    default:
      return "";
  }
}

// The debug-help functions the walk uses.
struct DebugHelp {
  decltype(&::SymInitialize) initialize;
  decltype(&::SymCleanup) cleanup;
  decltype(&::SymGetOptions) get_options;
  decltype(&::SymSetOptions) set_options;
  decltype(&::SymGetSearchPath) get_search_path;
  decltype(&::StackWalk64) walk;
  decltype(&::SymFunctionTableAccess64) function_table;
  decltype(&::SymGetModuleBase64) module_base;
  decltype(&::SymGetSymFromAddr64) symbol;
  decltype(&::UnDecorateSymbolName) undecorate;
  decltype(&::SymGetLineFromAddr64) line;
  decltype(&::SymGetModuleInfo64) module_info;
  decltype(&::SymLoadModuleEx) load_module;

  bool Load(HMODULE module) {
    return LookUpExports(module, &::GetProcAddress,
                         {{"SymInitialize", reinterpret_cast<void**>(&initialize)},
                          {"SymCleanup", reinterpret_cast<void**>(&cleanup)},
                          {"SymGetOptions", reinterpret_cast<void**>(&get_options)},
                          {"SymSetOptions", reinterpret_cast<void**>(&set_options)},
                          {"SymGetSearchPath", reinterpret_cast<void**>(&get_search_path)},
                          {"StackWalk64", reinterpret_cast<void**>(&walk)},
                          {"SymFunctionTableAccess64", reinterpret_cast<void**>(&function_table)},
                          {"SymGetModuleBase64", reinterpret_cast<void**>(&module_base)},
                          {"SymGetSymFromAddr64", reinterpret_cast<void**>(&symbol)},
                          {"UnDecorateSymbolName", reinterpret_cast<void**>(&undecorate)},
                          {"SymGetLineFromAddr64", reinterpret_cast<void**>(&line)},
                          {"SymGetModuleInfo64", reinterpret_cast<void**>(&module_info)},
                          {"SymLoadModuleEx", reinterpret_cast<void**>(&load_module)}});
  }
};

// The symbol handler of this process, for the life of one walk.
class SymbolSession {
 public:
  SymbolSession(const DebugHelp& api, HANDLE process) : api_(api), process_(process) {
    api_.set_options(api_.get_options() | SYMOPT_LOAD_LINES | SYMOPT_FAIL_CRITICAL_ERRORS);
    // Only the program's own symbols are read: reading every module's takes
    // long under Wine, and the report names only the program's functions.
    started_ = api_.initialize(process_, nullptr, FALSE);
  }
  SymbolSession(const SymbolSession&) = delete;
  SymbolSession& operator=(const SymbolSession&) = delete;
  ~SymbolSession() {
    if (started_)
      api_.cleanup(process_);
  }
  bool started() const { return started_; }

 private:
  const DebugHelp& api_;
  HANDLE process_;
  bool started_ = false;
};

std::string FileVersionSuffix(const char* image) {
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(image, &ignored);
  std::string data(size, '\0');
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (size == 0 || !::GetFileVersionInfoA(image, 0, size, data.data()) ||
      !::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length) || !info) {
    return "";
  }
  return Format(", fileVersion: %d.%d.%d.%d", HIWORD(info->dwFileVersionMS),
                LOWORD(info->dwFileVersionMS), HIWORD(info->dwFileVersionLS),
                LOWORD(info->dwFileVersionLS));
}

// Loads the program's own symbols and describes its module.
std::string ModuleLine(const DebugHelp& api, HANDLE process) {
  const HMODULE program = ::GetModuleHandleW(nullptr);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(program);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
      reinterpret_cast<const char*>(program) + dos->e_lfanew);
  char image[MAX_PATH] = "";
  ::GetModuleFileNameA(program, image, MAX_PATH);
  const DWORD64 base = reinterpret_cast<DWORD64>(program);
  const int result = static_cast<int>(api.load_module(process, nullptr, image, nullptr, base,
                                                      nt->OptionalHeader.SizeOfImage, nullptr, 0));
  IMAGEHLP_MODULE64 module = {sizeof(module)};
  api.module_info(process, base, &module);
  return Format("%s:%s (%p), size: %d (result: %d), SymType: '%s', PDB: '%s'", module.ImageName,
                module.ModuleName, reinterpret_cast<void*>(module.BaseOfImage),
                static_cast<int>(module.ImageSize), result, SymTypeName(module.SymType),
                module.LoadedImageName) +
         FileVersionSuffix(module.ImageName) + "\n";
}

std::string FrameLine(const DebugHelp& api, HANDLE process, DWORD64 address) {
  std::string function = "(function-name not available)";
  alignas(IMAGEHLP_SYMBOL64) char storage[sizeof(IMAGEHLP_SYMBOL64) + kMaxNameChars];
  auto* symbol = reinterpret_cast<IMAGEHLP_SYMBOL64*>(storage);
  *symbol = {sizeof(IMAGEHLP_SYMBOL64)};
  symbol->MaxNameLength = kMaxNameChars;
  DWORD64 displacement = 0;
  if (api.symbol(process, address, &displacement, symbol)) {
    function = symbol->Name;
    char undecorated[kMaxNameChars];
    if (api.undecorate(symbol->Name, undecorated, kMaxNameChars, UNDNAME_COMPLETE))
      function = undecorated;
  }
  IMAGEHLP_LINE64 line = {sizeof(line)};
  DWORD line_displacement = 0;
  if (api.line(process, address, &line_displacement, &line) && line.FileName)
    return Format("%s (%lu): %s\n", line.FileName, line.LineNumber, function.c_str());
  IMAGEHLP_MODULE64 module = {sizeof(module)};
  const char* module_name = api.module_info(process, address, &module)
                                ? module.ModuleName
                                : "(module-name not available)";
  return Format("%p (%s): %s: %s\n", reinterpret_cast<void*>(address), module_name,
                "(filename not available)", function.c_str());
}

}  // namespace

HMODULE DebugHelpLibrary() {
  // Kept for the life of the process: a crash may come at any time.
  static const HMODULE library = [] {
    const HMODULE loaded = ::GetModuleHandleW(L"dbghelp.dll");
    return loaded ? loaded : LoadSystemFolderLibrary(L"dbghelp.dll").release();
  }();
  return library;
}

std::string StackText(HANDLE thread, const CONTEXT& context, int release_code) {
  DebugHelp api;
  if (!api.Load(DebugHelpLibrary()))
    return "";
  const HANDLE process = ::GetCurrentProcess();
  const SymbolSession session(api, process);
  if (!session.started())
    return "";

  std::string text = std::string(::GetCommandLineA()) + "\n";
  char search_path[MAX_PATH] = "";
  api.get_search_path(process, search_path, MAX_PATH);
  char user[256] = "";
  DWORD user_chars = static_cast<DWORD>(std::size(user));
  ::GetUserNameA(user, &user_chars);
  text += Format("SymInit: Symbol-SearchPath: '%s', symOptions: %d, UserName: '%s' OS-Version:%d\n",
                 search_path, static_cast<int>(api.get_options()), user, release_code);
  text += ModuleLine(api, process);

  CONTEXT walked = context;
  STACKFRAME64 frame = {};
  frame.AddrPC = {walked.Eip, 0, AddrModeFlat};
  frame.AddrFrame = {walked.Ebp, 0, AddrModeFlat};
  frame.AddrStack = {walked.Esp, 0, AddrModeFlat};
  int repeated = 0;
  while (api.walk(IMAGE_FILE_MACHINE_I386, process, thread, &frame, &walked, nullptr,
                  api.function_table, api.module_base, nullptr) &&
         frame.AddrPC.Offset != 0) {
    repeated = frame.AddrPC.Offset == frame.AddrReturn.Offset ? repeated + 1 : 0;
    if (repeated > kMaxRepeatedFrames)
      break;
    text += FrameLine(api, process, frame.AddrPC.Offset);
  }
  return text;
}
