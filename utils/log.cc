#include "utils/log.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "utils/log_line.h"
#include "utils/scoped_handle.h"
#include "utils/string_util.h"

namespace {

constexpr LONG kNotReady = 0;
constexpr LONG kInitialising = 1;
constexpr LONG kReady = 2;
constexpr LONGLONG kRotateSize = 5 * 1024 * 1024;
// The size is checked on opening and then only every this many writes.
constexpr unsigned kWritesPerSizeCheck = 1000;
// How much of a FATAL line is kept on the stack for a crash dump.
constexpr size_t kFatalCopySize = 1024;

// Shared by all threads; allocated once and never freed, so statements in
// static destructors still log.
struct LogState {
  volatile LONG readiness = kNotReady;
  int threshold = LOG_LEVEL_ERROR;
  std::wstring path;
  unique_handle file;
  unique_handle mutex;
  bool mutex_ready = false;
  unsigned write_count = 0;
};

LogState& State() {
  static LogState* const state = new LogState;
  return *state;
}

LONG Readiness(LogState& state) {
  return ::InterlockedCompareExchange(&state.readiness, kNotReady, kNotReady);
}

// Owns the machine-wide log mutex for one scope, when it exists.
class ScopedLogMutex {
 public:
  explicit ScopedLogMutex(const LogState& state) {
    if (state.mutex_ready) {
      const DWORD wait = ::WaitForSingleObject(state.mutex.get(), INFINITE);
      if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED)
        owned_ = state.mutex.get();
    }
  }
  ~ScopedLogMutex() {
    if (owned_)
      ::ReleaseMutex(owned_);
  }
  ScopedLogMutex(const ScopedLogMutex&) = delete;
  ScopedLogMutex& operator=(const ScopedLogMutex&) = delete;

 private:
  HANDLE owned_ = nullptr;
};

int ReadThreshold() {
  unique_hkey key;
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\tabbridge", 0, KEY_QUERY_VALUE, key.put()) ==
          ERROR_SUCCESS &&
      ::RegQueryValueExW(key.get(), L"LogLevel", nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) == ERROR_SUCCESS &&
      type == REG_DWORD) {
    return std::min(static_cast<int>(value), static_cast<int>(LOG_LEVEL_ERROR));
  }
  return LOG_LEVEL_ERROR;
}

// "<exe folder>\log\<exe name>.log", creating the folder; empty when the
// folder cannot be made, so that opening fails.
std::wstring FormLogPath() {
  wchar_t module[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, module, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return {};
  const std::wstring_view module_path(module, length);
  const size_t name_start = module_path.find_last_of(L'\\') + 1;
  std::wstring path(module_path.substr(0, name_start));
  path += L"log\\";
  if (!::CreateDirectoryW(path.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
    return {};
  path += module_path.substr(name_start);
  path += L".log";
  return path;
}

void EnsureMutex(LogState& state) {
  if (state.mutex_ready)
    return;
  // Backslashes are not allowed in an object name after its namespace.
  constexpr std::wstring_view kNamespace = L"Global\\";
  std::wstring name(kNamespace);
  name += state.path;
  std::replace(name.begin() + kNamespace.size(), name.end(), L'\\', L'/');
  state.mutex.reset(::CreateMutexW(nullptr, FALSE, name.c_str()));
  state.mutex_ready = state.mutex.is_valid();
}

// Keeps one generation: the full log becomes "<log>.bak" and starts over.
void Rotate(LogState& state) {
  if (!state.file || ::GetFileAttributesW(state.path.c_str()) == INVALID_FILE_ATTRIBUTES)
    return;
  ::CopyFileW(state.path.c_str(), (state.path + L".bak").c_str(), FALSE);
  ::SetFilePointerEx(state.file.get(), LARGE_INTEGER{}, nullptr, FILE_BEGIN);
  ::SetEndOfFile(state.file.get());
}

void RotateIfFull(LogState& state) {
  LARGE_INTEGER size;
  if (::GetFileSizeEx(state.file.get(), &size) && size.QuadPart > kRotateSize)
    Rotate(state);
}

bool OpenFile(LogState& state) {
  if (state.file)
    return true;
  state.file.reset(::CreateFileW(state.path.c_str(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!state.file)
    return false;
  LARGE_INTEGER size;
  if (::GetFileSizeEx(state.file.get(), &size) && size.QuadPart > kRotateSize)
    Rotate(state);
  else
    ::SetFilePointerEx(state.file.get(), LARGE_INTEGER{}, nullptr, FILE_END);
  return true;
}

bool Initialise(LogState& state) {
  state.threshold = ReadThreshold();
  // The mutex is named after the path, so the path comes first.
  state.path = FormLogPath();
  EnsureMutex(state);
  ScopedLogMutex lock(state);
  state.file.reset();
  return OpenFile(state);
}

void Append(LogState& state, const std::string& bytes) {
  EnsureMutex(state);
  ScopedLogMutex lock(state);
  if (!OpenFile(state))
    return;
  state.write_count = (state.write_count + 1) % kWritesPerSizeCheck;
  if (state.write_count == 0)
    RotateIfFull(state);
  // Other processes append too: our position may be stale.
  ::SetFilePointerEx(state.file.get(), LARGE_INTEGER{}, nullptr, FILE_END);
  DWORD written = 0;
  ::WriteFile(state.file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// Stops in the debugger, or crashes into the dump writer, with the start of
// the line on the stack where a dump shows it.
void BreakOnFatal(const std::string& bytes) {
  [[maybe_unused]] volatile char copy[kFatalCopySize];
  const size_t size = std::min(bytes.size(), kFatalCopySize);
  for (size_t i = 0; i < size; ++i)
    copy[i] = bytes[i];
  ::DebugBreak();
}

}  // namespace

bool LogEnsureReady() {
  LogState& state = State();
  if (Readiness(state) == kReady)
    return true;
  if (::InterlockedCompareExchange(&state.readiness, kInitialising, kNotReady) == kNotReady) {
    // The first statement may be below the threshold and never reach a
    // LogMessage, which restores the caller's error otherwise.
    const DWORD saved_last_error = ::GetLastError();
    const bool ready = Initialise(state);
    ::InterlockedExchange(&state.readiness, ready ? kReady : kNotReady);
    ::SetLastError(saved_last_error);
    return ready;
  }
  while (Readiness(state) == kInitialising)
    ::Sleep(0);
  return Readiness(state) == kReady;
}

int LogMinLevel() {
  return State().threshold;
}

LogMessage::LogMessage(const char* source_path, int line, int level)
    : level_(level), saved_last_error_(::GetLastError()) {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  WriteLogLinePrefix(
      stream_, {::GetCurrentProcessId(), ::GetCurrentThreadId(), now.wMonth, now.wDay, now.wHour,
                now.wMinute, now.wSecond, level, source_path, line});
}

LogMessage::~LogMessage() {
  stream_ << L"\r\n";
  const std::string bytes = WideToUtf8(stream_.str());
  Append(State(), bytes);
  if (level_ == LOG_LEVEL_FATAL)
    BreakOnFatal(bytes);
  else
    ::SetLastError(saved_last_error_);
}
