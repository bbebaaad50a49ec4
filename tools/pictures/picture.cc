// Pictures of our windows under Wine, where a window made the child of
// another process's window never reaches the display.
//
//   picture.exe OUT.bmp BACKGROUND_HWND [WINDOW_HWND...]
//
// Takes the screen's pixels under the background window (a browser, which
// does reach the display), lays each window's own drawing over them at its
// place, and writes the result. A window draws itself in its own process,
// reached through picture_hook.dll beside this program. Handles in decimal.
#include <windows.h>

#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/pictures/picture_message.h"
#include "tools/pictures/window_drawing.h"
#include "utils/scoped_handle.h"

namespace {

constexpr UINT kDrawTimeoutMs = 20000;

struct AtomTraits {
  using Handle = ATOM;
  static Handle Invalid() { return 0; }
  static bool IsValid(Handle h) { return h != 0; }
  static void Close(Handle h) { ::GlobalDeleteAtom(h); }
};

HWND WindowOf(const wchar_t* text) {
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::wcstoull(text, nullptr, 10)));
}

std::wstring BesideThisProgram(const wchar_t* name) {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1) + name;
}

// Has `window` write its drawing to `path` from inside its own process.
bool AskForDrawing(HWND window, HMODULE hook_module, HOOKPROC hook, const std::wstring& path) {
  const DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
  const unique_hhook hooked(::SetWindowsHookExW(WH_CALLWNDPROC, hook, hook_module, thread));
  const UniqueAny<AtomTraits> atom(::GlobalAddAtomW(path.c_str()));
  DWORD_PTR ignored = 0;
  ::DeleteFileW(path.c_str());
  return hooked && atom &&
         ::SendMessageTimeoutW(window, PictureMessage(), atom.get(), 0, SMTO_ABORTIFHUNG,
                               kDrawTimeoutMs, &ignored) &&
         ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool LayOver(const Canvas& canvas, const RECT& background, HWND window, const std::wstring& path) {
  RECT rect = {};
  ::GetWindowRect(window, &rect);
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  const std::vector<char> bmp((std::istreambuf_iterator<char>(file)),
                              std::istreambuf_iterator<char>());
  if (bmp.size() < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER))
    return false;
  BITMAPFILEHEADER head = {};
  BITMAPINFO info = {};
  std::memcpy(&head, bmp.data(), sizeof(head));
  std::memcpy(&info.bmiHeader, bmp.data() + sizeof(head), sizeof(info.bmiHeader));
  const int width = info.bmiHeader.biWidth;
  const int height = std::abs(info.bmiHeader.biHeight);
  if (head.bfOffBits + static_cast<size_t>(width) * height * 4 > bmp.size())
    return false;
  return ::SetDIBitsToDevice(canvas.dc(), rect.left - background.left, rect.top - background.top,
                             width, height, 0, 0, 0, height, bmp.data() + head.bfOffBits, &info,
                             DIB_RGB_COLORS) != 0;
}

int Run(int argc, wchar_t** argv) {
  if (argc < 3)
    return 2;
  // Rectangles and screen pixels alike in real pixels.
  ::SetProcessDPIAware();
  const std::wstring out = argv[1];
  RECT background = {};
  Canvas canvas;
  if (!::GetWindowRect(WindowOf(argv[2]), &background) ||
      !canvas.Create(background.right - background.left, background.bottom - background.top)) {
    return 3;
  }
  const HDC screen = ::GetDC(nullptr);
  ::BitBlt(canvas.dc(), 0, 0, canvas.width(), canvas.height(), screen, background.left,
           background.top, SRCCOPY);
  ::ReleaseDC(nullptr, screen);

  const unique_hmodule hook_module(::LoadLibraryW(BesideThisProgram(L"picture_hook.dll").c_str()));
  const auto hook = hook_module ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(
                                      ::GetProcAddress(hook_module.get(), "PictureHook")))
                                : nullptr;
  if (!hook)
    return 4;
  const std::wstring part = out + L".window.bmp";
  for (int i = 3; i < argc; ++i) {
    const HWND window = WindowOf(argv[i]);
    if (!AskForDrawing(window, hook_module.get(), hook, part) ||
        !LayOver(canvas, background, window, part)) {
      return 5;
    }
  }
  ::DeleteFileW(part.c_str());
  return canvas.WriteBmp(out) ? 0 : 6;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  int argc = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  const int result = argv ? Run(argc, argv) : 2;
  ::LocalFree(argv);
  return result;
}
