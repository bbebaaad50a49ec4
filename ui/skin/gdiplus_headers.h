#ifndef UI_SKIN_GDIPLUS_HEADERS_H_
#define UI_SKIN_GDIPLUS_HEADERS_H_

// GDI+'s headers use min and max unqualified, which NOMINMAX removes.
#include <windows.h>

#include <objidl.h>

#include <algorithm>

namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus

#include <gdiplus.h>

#endif  // UI_SKIN_GDIPLUS_HEADERS_H_
