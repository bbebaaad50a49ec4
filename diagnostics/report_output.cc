#include <windows.h>

#include <string>

#include "diagnostics/diagnose.h"
#include "utils/scoped_handle.h"
#include "utils/string_util.h"

namespace {

constexpr wchar_t kCaption[] = L"TabBridge diagnostics";

bool WriteAll(HANDLE file, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    DWORD written = 0;
    if (!::WriteFile(file, text.data() + done, DWORD(text.size() - done), &written, nullptr) ||
        written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

bool IsRedirected(HANDLE output) {
  if (!output || output == INVALID_HANDLE_VALUE)
    return false;
  const DWORD type = ::GetFileType(output);
  return type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE;
}

// The report is no channel message: it goes through a handle of its own,
// which the channel's write guard leaves alone.
void WriteToRedirectedOutput(HANDLE output, const std::string& report) {
  unique_handle own;
  if (::DuplicateHandle(::GetCurrentProcess(), output, ::GetCurrentProcess(), own.put(), 0, FALSE,
                        DUPLICATE_SAME_ACCESS)) {
    (void)WriteAll(own.get(), report);
  }
}

bool WriteToParentConsole(const std::string& report) {
  if (!::AttachConsole(ATTACH_PARENT_PROCESS))
    return false;
  const unique_handle console(::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                            FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
  const std::wstring text = L"\r\n" + Utf8ToWide(report);
  DWORD written = 0;
  const bool ok =
      console && ::WriteConsoleW(console.get(), text.data(), DWORD(text.size()), &written, nullptr);
  ::FreeConsole();
  return ok;
}

// "<exe folder>\log\diagnostics.txt", the folder created; empty on failure.
std::wstring ReportPath() {
  wchar_t module[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, module, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return {};
  std::wstring path(module, length);
  path.resize(path.find_last_of(L'\\') + 1);
  path += L"log";
  if (!::CreateDirectoryW(path.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
    return {};
  return path + L"\\diagnostics.txt";
}

void SaveAndShow(const std::string& report, bool problems) {
  const std::wstring path = ReportPath();
  const unique_handle file(path.empty() ? INVALID_HANDLE_VALUE
                                        : ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                                        CREATE_ALWAYS, 0, nullptr));
  // Notepad reads UTF-8 without a byte-order mark as ANSI before Windows 10.
  const bool saved = file && WriteAll(file.get(), "\xEF\xBB\xBF" + report);
  const std::wstring text =
      saved ? L"The diagnostics report was saved to:\r\n" + path
            : L"The diagnostics report could not be saved:\r\n\r\n" + Utf8ToWide(report);
  ::MessageBoxW(::GetDesktopWindow(), text.c_str(), kCaption,
                MB_OK | (problems ? MB_ICONWARNING : MB_ICONINFORMATION));
}

}  // namespace

int RunDiagnostics(HANDLE std_output) {
  const std::vector<Finding> findings = Diagnose();
  const std::string report = FormatReport(findings);
  const int problems = CountProblems(findings);
  if (IsRedirected(std_output))
    WriteToRedirectedOutput(std_output, report);
  else if (!WriteToParentConsole(report))
    SaveAndShow(report, problems > 0);
  return problems;
}
