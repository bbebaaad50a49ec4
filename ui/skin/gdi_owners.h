#ifndef UI_SKIN_GDI_OWNERS_H_
#define UI_SKIN_GDI_OWNERS_H_

#include <windows.h>

#include "utils/scoped_handle.h"

template <typename T>
struct GdiObjectTraits {
  using Handle = T;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::DeleteObject(h); }
};

struct MemoryDcTraits {
  using Handle = HDC;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::DeleteDC(h); }
};

using unique_hfont = UniqueAny<GdiObjectTraits<HFONT>>;
using unique_hbitmap = UniqueAny<GdiObjectTraits<HBITMAP>>;
using unique_memory_dc = UniqueAny<MemoryDcTraits>;

// Selects an object into a DC for the scope.
class ScopedSelectObject {
 public:
  ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ~ScopedSelectObject() { ::SelectObject(dc_, previous_); }
  ScopedSelectObject(const ScopedSelectObject&) = delete;
  ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

#endif  // UI_SKIN_GDI_OWNERS_H_
