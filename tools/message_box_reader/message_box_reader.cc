// Waits for a message box with the given caption, prints its text on stdout
// (UTF-8) and presses its default button, so that tests can read the boxes
// the host shows.
//   message_box_reader.exe CAPTION [TIMEOUT_MS]
// Exits with 0 once a box was read, 1 when none came in time.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "utils/string_util.h"

namespace {

// The dialog class and the text control's id of every message box.
constexpr wchar_t kDialogClass[] = L"#32770";
constexpr int kTextControlId = 0xFFFF;

struct Search {
  const wchar_t* caption;
  HWND found;
};

BOOL CALLBACK Match(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  wchar_t text[256];
  wchar_t name[16];
  if (::GetClassNameW(window, name, 16) && std::wcscmp(name, kDialogClass) == 0 &&
      ::GetWindowTextW(window, text, 256) && std::wcscmp(text, search->caption) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2)
    return 2;
  const DWORD timeout = argc > 2 ? std::wcstoul(argv[2], nullptr, 10) : 20000;
  Search search = {argv[1], nullptr};
  for (DWORD waited = 0; waited < timeout; waited += 50) {
    ::EnumWindows(&Match, reinterpret_cast<LPARAM>(&search));
    if (search.found) {
      wchar_t text[4096] = L"";
      ::GetDlgItemTextW(search.found, kTextControlId, text, 4096);
      std::fputs(WideToUtf8(text).c_str(), stdout);
      std::fflush(stdout);
      ::PostMessageW(search.found, WM_COMMAND, IDOK, 0);
      return 0;
    }
    ::Sleep(50);
  }
  return 1;
}
